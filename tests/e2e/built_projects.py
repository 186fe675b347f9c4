"""Collects the project folders the end-to-end scenarios hand to `orvanta build`,
without Wine, for host tests that go over every project source there is.

usage: built_projects.py --orvanta PATH --engine-dir DIR --out DIR
Every <family>_e2e.py beside this file is run, each scenario with a stand-in
Wine session. What prepares the prefix (wine, reg_add, reg_query,
windows_path) gives an answer that passes every check; the first program the
scenario runs in Wine ends it. Each project that orvanta built until then is
copied, as it was at that build, to DIR/<family>-<scenario>-<n> (a project
source seen before is left out), so a scenario's builds after a run are not
collected. Programs of the Windows build that a scenario copies are
stand-ins: copies of the engine folder's kebstub.exe. Standard output names
the scenarios that built nothing ("skipped <family> <scenario>: <reason>")
and those that failed after building ("stopped <family> <scenario> after <n>
build(s): <reason>").
"""

import argparse
import os
import runpy
import shutil
import signal
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
import scenario  # noqa: E402
import winehost  # noqa: E402

SECONDS_PER_SCENARIO = 20  # a scenario waiting for something that never comes waits no longer
# The session's steps that prepare the prefix, answered here; any other step runs something in Wine.
PREPARATION = {"wine", "reg_add", "reg_query", "windows_path"}


class WineRun(Exception):
    """The scenario runs a program in Wine."""


class Answer:
    """What a preparing step in Wine answers here: whatever is asked of it is
    another answer, it equals anything and holds nothing. It is no path and
    no program, so nothing runs that Wine would have run."""

    def __getattr__(self, name):
        return self

    def __call__(self, *args, **options):
        return self

    def __eq__(self, other):
        return True

    def __ne__(self, other):
        return False

    __hash__ = object.__hash__

    def __bool__(self):
        return True

    def __iter__(self):
        return iter(())

    def __str__(self):
        return ""


class StandInPath:
    """The 32-bit path of winehost.WinePath, with no loader to run."""
    width, arch, winearch, build = 32, "x86", "win32", "win32"

    def __getattr__(self, name):
        raise WineRun(name)


class StandInSession:
    """Folders where a Wine session has them, answers to the steps that prepare it."""

    def __init__(self, root):
        self.prefix = root / "prefix"
        self.drive_c = self.prefix / "drive_c"
        self.temp = self.drive_c / "temp"
        self.temp.mkdir(parents=True)
        (self.drive_c / "windows" / "system32").mkdir(parents=True)
        self.path = StandInPath()
        self.env = {"WINEDLLOVERRIDES": ""}

    def __getattr__(self, name):
        if name in PREPARATION:
            return Answer()
        raise WineRun(name)


def out_of_time(signum, frame):
    raise TimeoutError(f"still running after {SECONDS_PER_SCENARIO} s")


class Collector:
    def __init__(self, orvanta, engine, out, report):
        self.orvanta = orvanta
        self.report = report
        self.engine = engine
        self.out = out
        self.sources = set()
        self.pending = []  # the projects built in the current try of a scenario
        self.run = subprocess.run
        subprocess.run = self.watched_run

    def watched_run(self, args, *rest, **options):
        result = self.run(args, *rest, **options)
        if isinstance(args, (list, tuple)) and len(args) > 2 and str(args[0]) == self.orvanta and args[1] == "build" \
                and result.returncode == 0:
            project = Path(args[2])
            source = project / "project.orv" if project.is_dir() else project
            staged = Path(tempfile.mkdtemp(dir=self.out))
            shutil.copytree(source.parent, staged / "project")
            if source.name != "project.orv":
                shutil.move(staged / "project" / source.name, staged / "project" / "project.orv")
            self.pending.append(staged)
        return result

    def stand_in(self, missing):
        """Makes the engine program a scenario missed; False when the file is none of the engine's."""
        missing = Path(missing)
        if missing.parent != self.engine or missing.exists():
            return False
        shutil.copy(self.engine / "kebstub.exe", missing)
        return True

    def scenario(self, family, name, function, make, tools, needs_orvanta):
        missing = scenario.missing_prerequisite(self.engine, (), tools, self.orvanta, needs_orvanta)
        if missing:
            print(f"skipped {family} {name}: {missing}", file=self.report)
            return
        for _ in range(20):
            self.pending = []
            with tempfile.TemporaryDirectory() as root:
                root = Path(root)
                reason = None
                signal.alarm(SECONDS_PER_SCENARIO)
                try:
                    function(make(StandInSession(root), self.engine, self.orvanta, root / "work"))
                except WineRun as step:
                    if not self.pending:
                        reason = f"runs something in Wine ({step}) before it builds a setup, if it builds one"
                except winehost.SkipScenario as skip:
                    reason = str(skip)
                except FileNotFoundError as error:
                    if error.filename and self.stand_in(error.filename):
                        for staged in self.pending:
                            shutil.rmtree(staged)
                        continue
                    reason = f"{error}"
                except Exception as error:  # noqa: BLE001 - a scenario that cannot run here is named, not fatal
                    reason = f"{type(error).__name__}: {error}"
                finally:
                    signal.alarm(0)
            if reason:
                print(f"stopped {family} {name} after {len(self.pending)} build(s): {reason}" if self.pending
                      else f"skipped {family} {name}: {reason}", file=self.report)
            self.keep(f"{family}-{name}")
            return
        self.keep(f"{family}-{name}")
        print(f"stopped {family} {name}: too many engine programs missing", file=self.report)

    def keep(self, prefix):
        for staged in self.pending:
            source = (staged / "project" / "project.orv").read_bytes()
            if source not in self.sources:
                self.sources.add(source)
                (staged / "project").rename(self.out / f"{prefix}-{len(self.sources)}")
            shutil.rmtree(staged)

    def family(self, script):
        def main(family, scenarios, make, programs=(), tools=(), needs_orvanta=True, timeout=None):
            if not needs_orvanta:
                return 0  # a family that builds no setup
            for name, function in sorted(scenarios.items()):
                self.scenario(family, name, function, make, tools, needs_orvanta)
            return 0

        scenario.main = main
        try:
            runpy.run_path(str(script), run_name="__main__")
        except SystemExit:
            pass


def collect():
    parser = argparse.ArgumentParser()
    parser.add_argument("--orvanta", required=True)
    parser.add_argument("--engine-dir", required=True, help="a folder holding kebstub.exe and keb.dll")
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    out = Path(args.out).resolve()
    out.mkdir(parents=True, exist_ok=True)
    # A folder of its own: the stand-ins made on the way go there.
    engine = Path(tempfile.mkdtemp(dir=out, prefix=".engine"))
    for name in ("kebstub.exe", "keb.dll"):
        shutil.copy(Path(args.engine_dir) / name, engine / name)
    # Standard output is the report alone and standard error this program's own
    # messages: what the scenarios and their tools print goes nowhere.
    report = os.fdopen(os.dup(1), "w", buffering=1)
    sys.stderr = os.fdopen(os.dup(2), "w", buffering=1)
    with open(os.devnull, "w") as devnull:
        os.dup2(devnull.fileno(), 1)
        os.dup2(devnull.fileno(), 2)
    sys.stdout = open(os.devnull, "w")  # noqa: SIM115 - for the rest of the process
    signal.signal(signal.SIGALRM, out_of_time)
    collector = Collector(str(Path(args.orvanta).resolve()), engine, out, report)
    saved_argv = sys.argv
    for script in sorted(HERE.glob("*_e2e.py")):
        sys.argv = [str(script)]
        collector.family(script)
    sys.argv = saved_argv
    shutil.rmtree(engine)
    return 0


if __name__ == "__main__":
    sys.exit(collect())
