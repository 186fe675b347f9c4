"""What every end-to-end scenario file shares: its assertions and the
command line that runs one named scenario in a fresh Wine session.

Every scenario file is called as
    <file> --builds DIR --work-dir DIR [--orvanta PATH] SCENARIO
and exits 0 when the scenario passed, 77 when it was skipped (a failure
under ORVANTA_NO_SKIPS=1). The programs run come from DIR/win32 or
DIR/win64, whichever the Wine path of this machine takes
(winehost.wine_path). `<file> --list` prints the family's scenarios and
their time limit as JSON: tests/e2e/CMakeLists.txt makes one test of each.
A family's scenario object is a Scenario, or made from one: what builds a
setup with orvanta, the project it builds and the reports the setup writes
are here once.
"""

import argparse
import json
import shutil
import subprocess
import sys
import time
from pathlib import Path

import winehost

SOURCE = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(SOURCE / "tests" / "support"))
from skipping import skipped  # noqa: E402


def check(condition, what):
    if not condition:
        raise AssertionError("failed: " + what)


def equal(actual, expected, what):
    if actual != expected:
        raise AssertionError(f"{what}: expected {expected!r}, got {actual!r}")


def project_header(setup, title, product_code, revision_code, package="product.msi", media_mode="1", values=""):
    """The project values a test project starts with, up to its script; values are further lines.
    media_mode None leaves the line out (values give it)."""
    media = f"MediaMode = {media_mode}\n" if media_mode is not None else ""
    return (f"Setup = {setup}\nTitle = {title}\nProductCode = {product_code}\nRevisionCode = {revision_code}\n"
            f"{media}Package = {package}\n{values}\n[script]\n")


class Scenario:
    """What a scenario function takes: the Wine session, the folder of the Windows build that runs, the orvanta
    tool (or None), the scenario's work folder on the host (made here), and the steps every family takes with them."""

    def __init__(self, session, engine, orvanta, work):
        self.session = session
        self.engine = Path(engine)
        self.orvanta = orvanta
        self.work = Path(work)
        self.work.mkdir(parents=True, exist_ok=True)
        self.folder = session.drive_c / "setup"  # where a setup is built unless a scenario says otherwise
        self.ui = winehost.UiDriver(session, self.engine / "uidriver.exe")

    def project(self, name, source, files=None):
        """Writes the project folder project-NAME in the prefix: project.orv holding source, and files
        (relative path: text, bytes, or the Path of a file to copy) beside it. Returns the folder."""
        project = self.session.prefix / ("project-" + name)
        shutil.rmtree(project, ignore_errors=True)
        project.mkdir(parents=True)
        (project / "project.orv").write_text(source)
        for relative, content in (files or {}).items():
            path = project / relative
            path.parent.mkdir(parents=True, exist_ok=True)
            if isinstance(content, str):
                path.write_text(content, encoding="utf-8")
            elif isinstance(content, bytes):
                path.write_bytes(content)
            else:
                shutil.copy(content, path)
        return project

    def sample_project(self, name, values="", script_start=""):
        """A copy of examples/sample as the project folder project-NAME in the prefix, with further project
        values and script lines at the start of its script."""
        project = self.session.prefix / ("project-" + name)
        shutil.rmtree(project, ignore_errors=True)
        shutil.copytree(SOURCE / "examples" / "sample", project)
        source = (project / "project.orv").read_text(encoding="latin-1")
        source = source.replace("[script]\n", values + "\n[script]\n" + script_start, 1)
        (project / "project.orv").write_text(source, encoding="latin-1")
        return project

    def orvanta_build(self, project, out=None, *options):
        """`orvanta build` of a project folder into out (the setup folder unless given) for the session's
        architecture; returns out. A refused build raises subprocess.CalledProcessError whose stderr holds
        orvanta's messages, also written to this process's standard error."""
        out = Path(out or self.folder)
        built = subprocess.run([self.orvanta, "build", str(project), "-o", str(out), "--engine-dir", str(self.engine),
                                "--arch", self.session.path.arch, *options],
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        if built.returncode != 0:
            sys.stderr.write(built.stderr.decode(errors="replace"))
            raise subprocess.CalledProcessError(built.returncode, built.args, stderr=built.stderr)
        return out

    def report(self, name):
        """The lines of the report NAME the setup wrote in its TEMP folder; none when it wrote none."""
        path = self.session.temp / name
        return path.read_bytes().decode("latin-1").splitlines() if path.exists() else []


def missing_prerequisite(engine, programs, tools, orvanta, needs_orvanta):
    """What keeps the scenario from running, or None."""
    for program in programs:
        if not (engine / program).exists():
            return f"{engine / program} is missing; build the {engine.name} preset first"
    for tool in tools:
        if not shutil.which(tool):
            return f"{tool} is missing"
    if needs_orvanta and not orvanta:
        return "no orvanta tool was given"
    return None


def main(family, scenarios, make, programs=("kebstub.exe", "keb.dll"), tools=(), needs_orvanta=True, timeout=300):
    """Runs the scenario named on the command line.

    make(session, engine, orvanta, work) gives the object the scenario function
    takes, engine being the folder of the Windows build that runs; programs
    are that build's outputs it needs, tools the host programs; timeout is
    ctest's limit in seconds for each scenario. Returns the process exit code."""
    if sys.argv[1:] == ["--list"]:
        print(json.dumps({"timeout": timeout, "scenarios": list(scenarios)}))
        return 0
    parser = argparse.ArgumentParser()
    parser.add_argument("--builds", required=True, help="the folder holding the win32 and win64 builds")
    parser.add_argument("--work-dir", required=True)
    parser.add_argument("--orvanta", help="the orvanta tool, for scenarios that build a setup with it")
    parser.add_argument("scenario", choices=sorted(scenarios))
    args = parser.parse_args()
    path = winehost.wine_path()
    print(f"{family} {args.scenario} on {path}")
    engine, work = Path(args.builds) / path.build, Path(args.work_dir)
    missing = missing_prerequisite(engine, programs, tools, args.orvanta, needs_orvanta)
    if missing:
        return skipped(missing)
    template = winehost.build_template(winehost.template_folder(work, path), path)
    started = time.monotonic()
    name = f"{family}-{args.scenario}"
    try:
        with winehost.WineSession(template, path, work, name, work / "artifacts") as session:
            scenarios[args.scenario](make(session, engine, args.orvanta, work / name))
    except winehost.SkipScenario as skip:
        return skipped(str(skip))
    print(f"{args.scenario}: passed in {time.monotonic() - started:.1f} s")
    return 0
