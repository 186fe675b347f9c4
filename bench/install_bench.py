#!/usr/bin/python3
"""Times the silent installation, repair and removal of a 200-file product by
the setup against msiexec doing the same with the same package and
properties, under Wine.

Usage: bench/install_bench.py [repetitions] [host build folder] [builds folder]
The setup of the width this machine's Wine path runs (winehost.wine_path:
x86 in a 32-bit prefix, or x64 in a 64-bit one) comes from the builds
folder. Every repetition gets a fresh copy of one template prefix and a
warmed-up wineserver for each side; the two sides alternate. The repair is
the setup's maintenance run against msiexec reinstalling with the mode that
run passes (REINSTALL=ALL REINSTALLMODE=vomus: Wine's "msiexec /f" refuses
both the package path and the product code), the removal the uninstall
entry's command against "msiexec /x". The msiexec runs pass the properties
the setup recorded (its ".par" in the cache folder of a first run), without
which the recording commands' components stay switched off. Prints every time, the medians
and the ratios setup / msiexec.
"""
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import msipackages  # noqa: E402
import winehost  # noqa: E402

FILES = 200
PRODUCT = "{D1639FA4-C0E2-4D7F-81A3-BFD051A7C3B4}"
REVISION = "{E274A0B5-D1F3-4E80-92B4-C0E162B8D4C5}"

WXS = msipackages.product_wxs(PRODUCT, "Install Bench", "{F385B1C6-E204-4F91-A3C5-D1F273C9E5D6}", "bench.cab")

PROJECT = f"""Setup = bench
Title = Install Bench
ProductCode = {PRODUCT}
RevisionCode = {REVISION}
MediaMode = 1
Package = product.wxs

[script]
If
  | REMOVE
  | 0
  | TRUE
  | FALSE
  Apply Changes
    | progress
    | RESULT
    | FALSE
    | TRUE
  Terminate Install
End
Install Files
  | files
  |
  | $TARGETDIR$
Apply Changes
  | progress
  | RESULT
  | TRUE
  | FALSE
Write to Text File
  | $TEMPDIR$result.txt
  | $RESULT$ $LASTERROR$
  | FALSE
"""


def make_project(folder):
    files = folder / "files"
    files.mkdir(parents=True)
    for n in range(FILES):
        (files / f"file{n:03}.txt").write_text(f"file {n}\n" * (50 + n * 10))
    (folder / "product.wxs").write_text(WXS)
    (folder / "project.orv").write_text(PROJECT)


def warm_up(session):
    session.wine("cmd", "/c", "echo", timeout=120)


def cache_folder(session):
    return session.drive_c / "users" / "Public" / "Application Data" / REVISION


def timed(session, program, *args):
    """Wall-clock seconds of one program run; wine passes each argument as one."""
    started = time.monotonic()
    code = session.wine(program, *args, timeout=600).returncode
    elapsed = time.monotonic() - started
    if code != 0:
        raise RuntimeError(f"{program} ended with {code}")
    return elapsed


STEPS = ("install", "repair", "removal")


def check_installed(session, by, expected=FILES):
    installed = list((session.drive_c / "Program Files" / "Install Bench").glob("*.txt"))
    if len(installed) != expected:
        raise RuntimeError(f"{by} left {len(installed)} files installed, not {expected}")


def setup_run(template, path, work, setup_folder, n):
    """Seconds of the setup's installation, repair and removal, and the properties it recorded."""
    with winehost.WineSession(template, path, work, f"bench-setup-{n}") as session:
        folder = session.drive_c / "setup"
        shutil.copytree(setup_folder, folder)
        warm_up(session)
        times = [timed(session, session.windows_path(folder / "bench.exe"), "/s")]
        result = (session.temp / "result.txt").read_text(encoding="latin-1").strip()
        if result != "COMPLETE":
            raise RuntimeError("setup result: " + result)
        check_installed(session, "the setup")
        parameters = (cache_folder(session) / "bench.par").read_text(encoding="latin-1").splitlines()
        times.append(timed(session, session.windows_path(folder / "bench.exe"), "/s"))
        check_installed(session, "the setup's repair")
        cached = session.windows_path(cache_folder(session) / "bench.exe")
        times.append(timed(session, cached, "REMOVE=TRUE", "MODIFY=FALSE", "/s"))
        check_installed(session, "the setup's removal", 0)
        # The header pass records every A property as FALSE first; the last value counts.
        return times, dict(zip(parameters[0::2], parameters[1::2]))


def msiexec_run(template, path, work, setup_folder, properties, n):
    with winehost.WineSession(template, path, work, f"bench-msiexec-{n}") as session:
        folder = session.drive_c / "setup"
        shutil.copytree(setup_folder, folder)
        warm_up(session)
        package = session.windows_path(folder / "bench.msi")
        values = [f"{name}={value}" for name, value in properties.items()]
        times = [timed(session, "msiexec", "/i", package, "/qn", "ALLUSERS=1", "ADDLOCAL=ALL", *values)]
        check_installed(session, "msiexec")
        times.append(timed(session, "msiexec", "/i", package, "/qn", "REINSTALL=ALL", "REINSTALLMODE=vomus", *values))
        check_installed(session, "msiexec's repair")
        times.append(timed(session, "msiexec", "/x", package, "/qn", *values))
        check_installed(session, "msiexec's removal", 0)
        return times


def main():
    repetitions = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    host = Path(sys.argv[2] if len(sys.argv) > 2 else ROOT / "build" / "host").resolve()
    builds = Path(sys.argv[3] if len(sys.argv) > 3 else ROOT / "build").resolve()
    path = winehost.wine_path()
    print(f"on {path}, setup built with --arch {path.arch}")
    with tempfile.TemporaryDirectory(prefix="install-bench-") as temp:
        work = Path(temp)
        make_project(work / "project")
        setup_folder = work / "setup"
        subprocess.run([str(host / "orvanta"), "build", str(work / "project"), "-o", str(setup_folder),
                        "--engine-dir", str(builds / path.build), "--arch", path.arch],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        template = winehost.build_template(winehost.template_folder(work, path), path)

        _, properties = setup_run(template, path, work, setup_folder, "probe")
        print("recorded properties:", " ".join(f"{name}={value}" for name, value in properties.items()))
        setup_times, msiexec_times = [], []
        for n in range(repetitions):
            runs = [lambda: setup_times.append(setup_run(template, path, work, setup_folder, n)[0]),
                    lambda: msiexec_times.append(msiexec_run(template, path, work, setup_folder, properties, n))]
            for run in runs if n % 2 == 0 else reversed(runs):
                run()
            print(f"run {n + 1}: " + ", ".join(
                f"{step} setup {mine:.2f} s / msiexec {theirs:.2f} s"
                for step, mine, theirs in zip(STEPS, setup_times[-1], msiexec_times[-1])), flush=True)
    for i, step in enumerate(STEPS):
        setup = statistics.median(t[i] for t in setup_times)
        msiexec = statistics.median(t[i] for t in msiexec_times)
        print(f"{step}: median setup {setup:.2f} s, msiexec {msiexec:.2f} s, ratio setup / msiexec {setup / msiexec:.2f}x")
    print("targets: install at most 1.15x, repair and removal at most 1.0x")
    return 0


if __name__ == "__main__":
    sys.exit(main())
