"""What every end-to-end scenario file shares: its assertions and the
command line that runs one named scenario in a fresh Wine session.

Every scenario file is called as
    <file> --builds DIR --work-dir DIR [--orvanta PATH] SCENARIO
and exits 0 when the scenario passed, 77 when it was skipped (a failure
under ORVANTA_NO_SKIPS=1). The programs run come from DIR/win32 or
DIR/win64, whichever the Wine path of this machine takes
(winehost.wine_path). `<file> --list` prints the family's scenarios and
their time limit as JSON: tests/e2e/CMakeLists.txt makes one test of each.
"""

import argparse
import json
import shutil
import sys
import time
from pathlib import Path

import winehost

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "support"))
from skipping import skipped  # noqa: E402


def check(condition, what):
    if not condition:
        raise AssertionError("failed: " + what)


def equal(actual, expected, what):
    if actual != expected:
        raise AssertionError(f"{what}: expected {expected!r}, got {actual!r}")


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
