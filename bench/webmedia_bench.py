#!/usr/bin/python3
"""Times a web media block of 100 MB fetched by a silent setup under Wine
(download over loopback, hash check, extraction and placement) against
`curl -o` + `7zz x` of the same archive on the host, in one run.

Usage: bench/webmedia_bench.py [megabytes] [host build folder] [builds folder]
Prints both times and the setup's throughput as a share of theirs (goal:
at least 0.5). Both transports are measured: urlmon (Wine's default) and the
WinHTTP client (urlmon switched off); a third run with the archive beside the
setup shows what the setup costs without the download. The setup's time
includes Wine starting the engine and the engine's own start-up.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import msipackages  # noqa: E402
import winehost  # noqa: E402
from webserver import LoopbackServer  # noqa: E402

PRODUCT = "{5C7E9A13-6B8D-4F0A-8C2E-1D3F5A7B9C01}"
REVISION = "{5C7E9A13-6B8D-4F0A-8C2E-1D3F5A7B9C02}"


def project(url):
    return f"""Setup = bench
Title = Web Media Bench
ProductCode = {PRODUCT}
RevisionCode = {REVISION}
MediaMode = 2
Package = product.wxs
WebMedia = Big | big

[script]
Web Media Block
  | Big
  | {url}
  |
Install Files @ media=Big\\
  | small
  |
  | $TARGETDIR$
"""


def make_project(folder, megabytes, url):
    big = folder / "big"
    big.mkdir(parents=True)
    # Half random, half text: an archive about as large as its data, but not all of it incompressible.
    for n in range(megabytes // 4):
        (big / f"part{n:03}.bin").write_bytes(os.urandom(2 << 20) + (b"web media bench line\r\n" * 95326)[:2 << 20])
    (folder / "small").mkdir()
    (folder / "small" / "a.txt").write_text("a\n")
    (folder / "product.wxs").write_text(msipackages.product_wxs(PRODUCT, "Web Media Bench",
                                                                "{5C7E9A13-6B8D-4F0A-8C2E-1D3F5A7B9C03}", "b.cab"))
    (folder / "project.orv").write_text(project(url))


def setup_seconds(template, path, work, setup_folder, name, env_extra="", local_archive=None):
    with winehost.WineSession(template, path, work, name) as session:
        if env_extra:
            session.env["WINEDLLOVERRIDES"] += env_extra
        folder = session.drive_c / "setup"
        shutil.copytree(setup_folder, folder)
        if local_archive:
            (folder / "Big.7zip").write_bytes(local_archive)
        session.wine("cmd", "/c", "echo", timeout=120)
        started = time.monotonic()
        code = session.run(folder / "bench.exe", "/s", timeout=900)
        elapsed = time.monotonic() - started
        marker = session.drive_c / "users" / "Public" / "Application Data" / REVISION / "Big" / REVISION
        if code != 0 or not marker.exists():
            raise RuntimeError(f"{name}: exit code {code}, block marker present: {marker.exists()}")
        return elapsed


def host_seconds(url, work):
    target = work / "host"
    shutil.rmtree(target, ignore_errors=True)
    target.mkdir()
    started = time.monotonic()
    subprocess.run(["curl", "-s", "-o", str(target / "Big.7zip"), url], check=True)
    subprocess.run(["7zz", "x", "-bd", "-y", "-o" + str(target / "out"), str(target / "Big.7zip")], check=True,
                   stdout=subprocess.DEVNULL)
    return time.monotonic() - started


def main():
    megabytes = int(sys.argv[1]) if len(sys.argv) > 1 else 100
    host = Path(sys.argv[2] if len(sys.argv) > 2 else ROOT / "build" / "host").resolve()
    builds = Path(sys.argv[3] if len(sys.argv) > 3 else ROOT / "build").resolve()
    path = winehost.wine_path()
    with tempfile.TemporaryDirectory(prefix="webmedia-bench-") as temp, LoopbackServer({}) as server:
        work = Path(temp)
        url = server.url("/Big.7zip")
        make_project(work / "project", megabytes, url)
        setup_folder = work / "setup"
        subprocess.run([str(host / "orvanta"), "build", str(work / "project"), "-o", str(setup_folder),
                        "--engine-dir", str(builds / path.build), "--arch", path.arch],
                       check=True, stdout=subprocess.DEVNULL)
        archive = setup_folder / "Big.7zip"
        server.files["/Big.7zip"] = archive.read_bytes()
        archive.unlink()
        print(f"on {path}: archive of {len(server.files['/Big.7zip']) / 1e6:.1f} MB")
        template = winehost.build_template(winehost.template_folder(work, path), path)
        theirs = host_seconds(url, work)
        for label, extra in (("urlmon", ""), ("winhttp", ";urlmon=d")):
            mine = setup_seconds(template, path, work, setup_folder, "bench-" + label, extra)
            print(f"{label}: setup {mine:.2f} s, curl + 7zz {theirs:.2f} s, "
                  f"throughput share {theirs / mine:.2f} (goal at least 0.5)", flush=True)
        # Without the download: the setup's start, hash check, extraction and placement.
        local = setup_seconds(template, path, work, setup_folder, "bench-local", "", server.files["/Big.7zip"])
        print(f"the same setup with the archive beside it (no download): {local:.2f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
