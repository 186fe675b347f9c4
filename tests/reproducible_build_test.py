"""The same project built twice gives the same bytes: two copies of the
sample (with a web media block added) in different folders, their sources
touched in between, built in different time zones, compared file by file,
as setup folders and as single-file setups (whose script decompiles as the
folder's does, and whose carried archive lists the folder's files); and with SOURCE_DATE_EPOCH every time written, read back by 7zz and msiinfo,
is that time.

usage: reproducible_build_test.py SOURCE_DIR ORVANTA BUILDS_DIR
Exits 77 (skipped) without the win32 build of the engine.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent / "support"))
from skipping import skipped  # noqa: E402

EPOCH = 1700000000  # 2023-11-14 22:13:20 UTC
faults = []


def check(condition, fault):
    if not condition:
        faults.append(fault)


def project_copy(sample, where):
    """The sample with its documentation folder as a web media block."""
    shutil.copytree(sample, where)
    orv = where / "project.orv"
    text = orv.read_text()
    orv.write_text(text.replace("Translations = translations\n",
                                "Translations = translations\nWebMedia = docs | documentation\n", 1))
    return where


def build(orvanta, engine, project, out, cwd, *options, **env):
    run_env = {k: v for k, v in os.environ.items() if k != "SOURCE_DATE_EPOCH"}
    run_env.update(env)
    result = subprocess.run([orvanta, "build", str(project), "-o", str(out), "--engine-dir", str(engine), *options],
                            cwd=cwd, env=run_env, capture_output=True, text=True)
    if result.returncode != 0:
        raise SystemExit("FAILED: orvanta build: " + result.stdout + result.stderr)


def files(folder):
    return {p.relative_to(folder).as_posix(): p.read_bytes() for p in sorted(folder.rglob("*")) if p.is_file()}


def compare(first, second, what):
    a, b = files(first), files(second)
    check(sorted(a) == sorted(b), f"{what}: different files: {sorted(a)} / {sorted(b)}")
    for name in sorted(set(a) & set(b)):
        check(a[name] == b[name], f"{what}: {name} differs between the two builds")


def archive_times(archive):
    listing = subprocess.run(["7zz", "l", "-slt", str(archive)], capture_output=True, text=True,
                             env={**os.environ, "TZ": "UTC"}).stdout
    return re.findall(r"^Modified = (.*)$", listing, re.M)


def carried(orvanta, launcher, folder):
    """What the launcher carries is the setup folder less its web media archives; its script decompiles alike."""
    listing = subprocess.run([orvanta, "archive", "list", str(launcher)], capture_output=True, text=True).stdout
    for name in ("sample.exe", "sample.msi", "sample.res", "keb.dll", "data\\{6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}"):
        check(name in listing, f"{name} in the launcher's archive:\n{listing}")
    check("docs.7zip" not in listing, "the web media archive stays beside the launcher")
    decompiled = [subprocess.run([orvanta, "decompile", str(setup)], capture_output=True, text=True)
                  for setup in (launcher, folder / "sample.exe")]
    check(decompiled[0].returncode == 0 and decompiled[0].stdout == decompiled[1].stdout,
          "the single-file setup decompiles as the folder's setup: " + decompiled[0].stderr)


def epoch_times(out, work):
    """Every time the build wrote, read by 7zz and msiinfo, is SOURCE_DATE_EPOCH."""
    utc = {**os.environ, "TZ": "UTC"}
    cab = work / "package.cab"
    with open(cab, "wb") as f:
        subprocess.run(["msiinfo", "extract", str(out / "sample.msi"), "sample.cab"], stdout=f, check=True)
    for archive in (out / "sample.res", out / "docs.7zip", cab):
        times = archive_times(archive)
        check(times and all(t.startswith("2023-11-14 22:13:20") for t in times),
              f"{archive.name}: entry times {times}, not SOURCE_DATE_EPOCH")
    summary = subprocess.run(["msiinfo", "suminfo", str(out / "sample.msi")], capture_output=True, text=True,
                             env=utc).stdout
    for field in ("Created", "Last saved"):
        check(f"{field}: Tue Nov 14 22:13:20 2023" in summary, f"summary {field}: not SOURCE_DATE_EPOCH:\n{summary}")
    # The author's codes stay: the package code is the revision code.
    check("{7A2B3C4D-5E6F-4B7C-8D9E-0F1A2B3C4D5E}" in summary, "the package code is not the revision code")
    properties = subprocess.run(["msiinfo", "export", str(out / "sample.msi"), "Property"],
                                capture_output=True, text=True).stdout
    check("ProductCode\t{6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}" in properties, "the product code changed")


def main(source, orvanta, builds):
    engine = Path(builds) / "win32"
    if not all((engine / name).exists() for name in ("kebstub.exe", "keb.dll", "kebsfx.exe")):
        return skipped("no win32 build of the engine; build the win32 preset first")
    sample = Path(source) / "examples" / "sample"
    with tempfile.TemporaryDirectory() as tmp:
        work = Path(tmp)
        first = project_copy(sample, work / "one" / "project")
        second = project_copy(sample, work / "two" / "deeper" / "other")
        build(orvanta, engine, first, "out", work / "one", TZ="UTC")
        time.sleep(2.1)  # past a second boundary, and past the 2 s steps of a cabinet's file dates
        for path in second.rglob("*"):
            os.utime(path)
        build(orvanta, engine, second, work / "two" / "out", second, TZ="Asia/Kathmandu")
        compare(work / "one" / "out", work / "two" / "out", "setup folder")
        build(orvanta, engine, first, "single", work / "one", "--single-file", TZ="UTC")
        time.sleep(2.1)
        for path in second.rglob("*"):
            os.utime(path)
        build(orvanta, engine, second, work / "two" / "single", second, "--single-file", TZ="America/St_Johns")
        compare(work / "one" / "single", work / "two" / "single", "single-file setup")
        single = work / "one" / "single"
        check(sorted(files(single)) == ["docs.7zip", "sample.exe"], f"single-file output: {sorted(files(single))}")
        carried(orvanta, single / "sample.exe", work / "one" / "out")

        build(orvanta, engine, first, work / "epoch", work, TZ="Asia/Kathmandu", SOURCE_DATE_EPOCH=str(EPOCH))
        epoch_times(work / "epoch", work)
    for fault in faults:
        print("FAILED: " + fault)
    if not faults:
        print("the two builds are identical; SOURCE_DATE_EPOCH is every time written")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
