"""End-to-end scenarios of web media blocks under Wine: a setup built by
orvanta whose "Install Files" data lives in a block, fetched from a loopback
server of the test (webserver.py), from a copy beside the setup, or from
offline media. Both transports run: urlmon (Wine's default) and, with urlmon
switched off for the prefix, the WinHTTP client with byte-range resume.

usage: webmedia_e2e.py --builds DIR --work-dir DIR --orvanta PATH SCENARIO
Exit code 77 means skipped.
"""

import random
import shutil
import struct
import subprocess
import tempfile
import sys
import time
import urllib.request
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import msipackages  # noqa: E402
import scenario  # noqa: E402
from scenario import check, equal  # noqa: E402
from webserver import LoopbackServer, NginxServer  # noqa: E402

PRODUCT = "{2B4D6F81-3A5C-4E7F-9B1D-0C2E4A6B8D01}"
REVISION = "{2B4D6F81-3A5C-4E7F-9B1D-0C2E4A6B8D02}"
UPGRADE = "{2B4D6F81-3A5C-4E7F-9B1D-0C2E4A6B8D03}"
BLOCK = "Block1"
ARCHIVE = BLOCK + ".7zip"
DOWNLOAD_FAILED = "Unable to download installation data from the web"
EXTRACT_FAILED = "Unable to extract installation data downloaded from the web"


def block_files():
    """Incompressible data, so a cut at 60 % of the archive falls inside the data."""
    rng = random.Random(16)
    return {
        "bin/tool.dat": rng.randbytes(300000),
        "docs/guide.txt": b"".join(b"guide line %d\r\n" % i for i in range(2000)),
        "readme.txt": b"web media readme\r\n",
    }


def arm64_program():
    """A Windows-on-ARM executable as 7-Zip sees one: a PE header for machine ARM64 and a code section of BL
    and ADRP among other words, which 7zz's defaults pack with the ARM64 filter."""
    rng = random.Random(64)
    code = bytearray()
    while len(code) < 400000:
        kind = rng.randrange(3)
        word = (0x94000000 | rng.getrandbits(26) if kind == 0 else
                0x90000000 | rng.getrandbits(5) | rng.getrandbits(12) << 5 if kind == 1 else rng.getrandbits(32))
        code += word.to_bytes(4, "little")
    dos = bytearray(0x80)
    dos[0:2] = b"MZ"
    struct.pack_into("<I", dos, 0x3C, len(dos))
    coff = struct.pack("<HHIIIHH", 0xAA64, 1, 0, 0, 0, 0xF0, 0x22)
    optional = bytearray(0xF0)
    struct.pack_into("<H", optional, 0, 0x20B)
    struct.pack_into("<I", optional, 16, 0x1000)
    struct.pack_into("<II", optional, 32, 0x1000, 0x200)
    struct.pack_into("<II", optional, 56, 0x1000 + len(code), 0x400)
    struct.pack_into("<H", optional, 68, 3)
    struct.pack_into("<I", optional, 108, 16)
    section = bytearray(40)
    section[0:5] = b".text"
    struct.pack_into("<IIII", section, 8, len(code), 0x1000, len(code), 0x400)
    struct.pack_into("<I", section, 36, 0x60000020)
    headers = bytes(dos) + b"PE\0\0" + coff + bytes(optional) + bytes(section)
    return headers + bytes(0x400 - len(headers)) + bytes(code)


def project_text(url, tail="", head="", values=""):
    blocks = (f"WebMedia = {BLOCK} | block\nMediaFile = {BLOCK} | bin\\tool.dat | Program\\bin\n"
              f"MediaFile = {BLOCK} | readme.txt | Program\nMediaFile = {BLOCK} | readme.txt | Shared\n")
    return scenario.project_header("webmedia", "Web Media Test", PRODUCT, REVISION, package="product.wxs",
                                   media_mode="2", values=blocks + values) + f"""{head}Web Media Block
  | {BLOCK}
  | {url}
  |
Install Files @ media={BLOCK}\\
  | block
  |
  | $TARGETDIR$
Write to Text File
  | $TEMPDIR$webmedia.txt
  | fetched into $DATADIR$
  | FALSE
""" + tail


class Scenario(scenario.Scenario):
    def __init__(self, session, engine, orvanta, work):
        super().__init__(session, engine, orvanta, work)
        self.files = block_files()
        self.data = session.drive_c / "users" / "Public" / "Application Data" / REVISION
        self.log = session.drive_c / "setup.log"

    def build(self, url, folder=None, tail="", head="", support=None, values=""):
        """Builds the setup into folder (default: the setup folder); returns the archive's bytes. head comes
        before the script's commands; support (name: text) is the project's support folder; values are more
        project values."""
        files = {"block/" + name: data for name, data in self.files.items()}
        files.update({"support/" + name: text for name, text in (support or {}).items()})
        files["product.wxs"] = msipackages.product_wxs(PRODUCT, "Web Media Test", UPGRADE, "w.cab")
        self.url = url
        source = project_text(url, tail, head, values + ("Support = support\n" if support else ""))
        return (self.orvanta_build(self.project("webmedia", source, files), folder) / ARCHIVE).read_bytes()

    def build_for_download(self, server, tail="", values=""):
        """A setup whose block is only on the server."""
        archive = self.build(server.url("/" + ARCHIVE), tail=tail, values=values)
        (self.folder / ARCHIVE).unlink()
        server.files["/" + ARCHIVE] = archive
        return archive

    def without_urlmon(self):
        """Wine without urlmon: the engine falls back to its WinHTTP client."""
        self.session.env["WINEDLLOVERRIDES"] += ";urlmon=d"

    def run(self):
        self.log.unlink(missing_ok=True)
        self.exit_code = self.session.run(self.folder / "webmedia.exe", "/s",
                                          "/m=" + self.session.windows_path(self.log), timeout=180)
        return self.exit_code

    def run_removal(self):
        return self.session.run(self.folder / "webmedia.exe", "/s", "REMOVE=TRUE", timeout=180)

    def logged(self):
        return self.log.read_bytes().decode("utf-16-le", "replace") if self.log.exists() else ""

    def reported(self):
        return (self.session.temp / "webmedia.txt").exists()

    def partial(self):
        path = self.data / ARCHIVE
        return path.stat().st_size if path.exists() else 0

    def expect_installed(self, label):
        check(self.reported(), label + ": the script went on after the fetch")
        check((self.data / BLOCK / REVISION).is_file(), label + ": the block's marker")
        equal((self.data / BLOCK / "docs" / "guide.txt").read_bytes(), self.files["docs/guide.txt"],
              label + ": the block's own tree")
        equal((self.data / "Program" / "bin" / "tool.dat").read_bytes(), self.files["bin/tool.dat"],
              label + ": the mapped tool")
        equal((self.data / "Program" / "readme.txt").read_bytes(), self.files["readme.txt"], label + ": readme 1")
        equal((self.data / "Shared" / "readme.txt").read_bytes(), self.files["readme.txt"], label + ": readme 2")
        check(not (self.data / ARCHIVE).exists(), label + ": the downloaded archive is gone")

    def cut_then_resume(self, server, archive, label):
        """A first run cut at 60 % fails and keeps its part; the next run resumes it
        and installs. Returns where the cut was."""
        cut = len(archive) * 60 // 100
        server.cut_after = cut
        self.run()
        self.expect_failed(DOWNLOAD_FAILED, label + ", cut")
        equal(self.partial(), cut, label + ": the partial archive stays")
        equal(self.run(), 0, label + ": exit code of the resumed run")
        self.expect_installed(label + ", resumed")
        return cut

    def expect_failed(self, message, label, source=None, reason=""):
        """The silent run ended at the fetch, exit code 1603; the log's line names the block, the source
        (the URL unless given) and the reason."""
        check(not self.reported(), label + ": the script ended")
        equal(self.exit_code, 1603, label + ": exit code")
        start = f"Orvanta: {message} (block \"{BLOCK}\", "
        check(start in self.logged(), f"{label}: {start!r} in the log: {self.logged()!r}")
        line = self.logged().split(start, 1)[-1].split("\r\n", 1)[0]
        check((source or self.url) + ")" in line and reason in line,
              f"{label}: the source and reason {reason!r} in {line!r}")
        check(not (self.data / BLOCK / REVISION).exists(), label + ": no marker")


def silent_download(s):
    """urlmon fetches the block; its files are placed by the media file map."""
    with LoopbackServer({}) as server:
        s.build_for_download(server)
        equal(s.run(), 0, "exit code")
        s.expect_installed("urlmon")
        check(any(r[0] == "GET" and r[1] == "/" + ARCHIVE for r in server.requests), "downloaded from the server")


def download_again(s):
    """The block downloaded once more through urlmon after its data is gone: its cache entry is no trap."""
    with LoopbackServer({}) as server:
        s.build_for_download(server)
        equal(s.run(), 0, "first run")
        shutil.rmtree(s.data)
        (s.session.temp / "webmedia.txt").unlink()
        equal(s.run(), 0, "second run")
        s.expect_installed("again")


def http_client_download(s):
    """Without urlmon the WinHTTP client asks HEAD, then GET, and installs the block."""
    s.without_urlmon()
    with LoopbackServer({}) as server:
        s.build_for_download(server)
        equal(s.run(), 0, "exit code")
        s.expect_installed("winhttp")
        equal([r[0] for r in server.requests], ["HEAD", "GET"], "requests")


def resume_after_cut(s):
    """A download cut at 60 % resumes from size − 2048 and gives the very archive (its hash is checked)."""
    s.without_urlmon()
    with LoopbackServer({}) as server:
        cut = s.cut_then_resume(server, s.build_for_download(server), "winhttp")
        equal(server.ranges_asked(), [f"bytes={cut - 2048}-"], "the range asked")
        check(server.requests[-1][3] == server.etag("/" + ARCHIVE), "If-Range carries the ETag")


def arm64_block(s):
    """A block holding a Windows-on-ARM program, packed by the build with 7-Zip's defaults and so with the
    ARM64 filter, is downloaded and extracted byte for byte as 7zz extracts it."""
    s.files["bin/arm64/tool.exe"] = arm64_program()
    with LoopbackServer({}) as server:
        archive = s.build_for_download(server)
        with tempfile.TemporaryDirectory() as reference:
            packed = Path(reference) / ARCHIVE
            packed.write_bytes(archive)
            listing = subprocess.run(["7zz", "l", "-slt", str(packed)], check=True, capture_output=True,
                                     text=True).stdout
            check("Method = ARM64 LZMA2" in listing, "7zz packed the program with the ARM64 filter")
            subprocess.run(["7zz", "x", "-bd", "-y", "-o" + reference, str(packed)], check=True,
                           stdout=subprocess.DEVNULL)
            equal(s.run(), 0, "exit code")
            s.expect_installed("ARM64 block")
            ours = s.data / BLOCK / "bin" / "arm64" / "tool.exe"
            equal(ours.read_bytes(), (Path(reference) / BLOCK / "bin" / "arm64" / "tool.exe").read_bytes(),
                  "the ARM64 program as 7zz extracts it")
            equal(ours.read_bytes(), s.files["bin/arm64/tool.exe"], "the ARM64 program as packed")


def ignored_ranges(s):
    """A server that answers the range with the whole file: the file starts again at byte 0."""
    s.without_urlmon()
    with LoopbackServer({}) as server:
        archive = s.build_for_download(server)
        server.cut_after = len(archive) * 60 // 100
        s.run()
        server.ignore_ranges = True
        equal(s.run(), 0, "exit code")
        s.expect_installed("whole file")
        check(server.ranges_asked(), "a range was asked")


def no_length(s):
    """A server that sends no length: the download ends with the connection."""
    s.without_urlmon()
    with LoopbackServer({}) as server:
        s.build_for_download(server)
        server.omit_length = ("HEAD", "GET")
        equal(s.run(), 0, "exit code")
        s.expect_installed("no length")


def urlmon_and_winhttp(s):
    """Runs the body once through urlmon and once, with urlmon switched off, through the WinHTTP client, each
    from a fresh data folder."""
    for transport in ("urlmon", "winhttp"):
        if transport == "winhttp":
            s.without_urlmon()
        shutil.rmtree(s.data, ignore_errors=True)
        (s.session.temp / "webmedia.txt").unlink(missing_ok=True)
        yield transport


def odd_length_headers(s):
    """Headers that only mention a content length do not set the body's length: the whole download and a
    resumed one complete through both transports, and a cut urlmon transfer is a failed download."""
    with LoopbackServer({}) as server:
        archive = s.build_for_download(server)
        server.extra_headers = [("X-Original-Content-Length", "5"), ("x-goog-stored-content-length", "5")]
        server.cut_after = len(archive) * 60 // 100
        s.run()
        s.expect_failed(DOWNLOAD_FAILED, "urlmon, cut")
        for transport in urlmon_and_winhttp(s):
            equal(s.run(), 0, transport + ": exit code")
            s.expect_installed(transport)
        shutil.rmtree(s.data)
        (s.session.temp / "webmedia.txt").unlink()
        server.cut_after = len(archive) * 60 // 100
        s.run()
        s.expect_failed(DOWNLOAD_FAILED, "winhttp, cut")
        equal(s.run(), 0, "winhttp: exit code of the resumed run")
        s.expect_installed("winhttp resumed")
        equal(len(server.ranges_asked()), 1, "the resumed run asked for a range")


def foreign_ranges(s):
    """A 206 answer with another range than the one asked for is never written at the resume point, and a
    partial file without its validator is not resumed: the file starts again from byte 0."""
    with LoopbackServer({}) as server:
        archive = s.build_for_download(server)
        server.range_shift = 4096
        s.run()
        s.expect_failed(DOWNLOAD_FAILED, "urlmon, a range nobody asked for")
        equal(s.run(), 0, "urlmon: exit code of the next run")
        s.expect_installed("urlmon")

        s.without_urlmon()
        shutil.rmtree(s.data)
        (s.session.temp / "webmedia.txt").unlink()
        server.cut_after = len(archive) * 60 // 100
        s.run()
        s.expect_failed(DOWNLOAD_FAILED, "winhttp, cut")
        server.range_shift = 4096
        server.requests.clear()
        equal(s.run(), 0, "winhttp: exit code after another range")
        s.expect_installed("winhttp, another range")
        gets = [r[2] for r in server.requests if r[0] == "GET"]
        equal(len(gets), 2, "a range, then the whole file")
        check(gets[0] and not gets[1], f"the range first, then no range: {gets}")

        # An old prefix of another file, and a server without ETag or Last-Modified.
        shutil.rmtree(s.data)
        (s.session.temp / "webmedia.txt").unlink()
        server.validators = False
        s.data.mkdir(parents=True)
        (s.data / ARCHIVE).write_bytes(random.Random(7).randbytes(len(archive) * 60 // 100))
        server.requests.clear()
        equal(s.run(), 0, "winhttp: exit code without validators")
        s.expect_installed("winhttp, no validator")
        equal(server.ranges_asked(), [], "no range without a validator")


def head_answers(s):
    """A refused HEAD does not end a download that GET answers; where GET sends no length, the HEAD's length
    tells a cut transfer from a whole one."""
    with LoopbackServer({}) as server:
        archive = s.build_for_download(server)
        server.head_status = 405
        for transport in urlmon_and_winhttp(s):
            equal(s.run(), 0, transport + ": exit code with HEAD refused")
            s.expect_installed(transport + ", HEAD refused")
        check(any(r[0] == "HEAD" for r in server.requests), "winhttp asked with HEAD")

        shutil.rmtree(s.data)
        (s.session.temp / "webmedia.txt").unlink()
        server.head_status = None
        server.omit_length = ("GET",)
        s.cut_then_resume(server, archive, "winhttp without a length")


def range_not_satisfiable(s):
    """A partial file longer than the file on the server (416): the silent run starts the file again."""
    s.without_urlmon()
    with LoopbackServer({}) as server:
        archive = s.build_for_download(server)
        s.data.mkdir(parents=True)
        (s.data / ARCHIVE).write_bytes(archive + bytes(5000))
        (s.data / (ARCHIVE + ".validator")).write_text(server.etag("/" + ARCHIVE))
        equal(s.run(), 0, "exit code")
        s.expect_installed("after 416")
        gets = [r[2] for r in server.requests if r[0] == "GET"]
        equal(gets, [f"bytes={len(archive) + 5000 - 2048}-", None], "the range, then the whole file")


def redirect_and_https(s):
    """Both transports follow a redirect; HTTPS from a server whose certificate nobody trusts is refused."""
    with LoopbackServer({}) as server:
        archive = s.build(server.url("/moved/" + ARCHIVE))
        (s.folder / ARCHIVE).unlink()
        server.files["/" + ARCHIVE] = archive
        server.redirects["/moved/" + ARCHIVE] = "/" + ARCHIVE
        equal(s.run(), 0, "urlmon through a redirect")
        s.expect_installed("urlmon redirect")
        shutil.rmtree(s.data)
        (s.session.temp / "webmedia.txt").unlink()
        s.without_urlmon()
        equal(s.run(), 0, "winhttp through a redirect")
        s.expect_installed("winhttp redirect")
        shutil.rmtree(s.data)
        (s.session.temp / "webmedia.txt").unlink()

    key, certificate = s.work / "key.pem", s.work / "cert.pem"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1",
                    "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", str(key), "-out", str(certificate)],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with LoopbackServer({}, (str(certificate), str(key))) as server:
        archive = s.build(server.url("/" + ARCHIVE))
        (s.folder / ARCHIVE).unlink()
        server.files["/" + ARCHIVE] = archive
        s.run()
        s.expect_failed(DOWNLOAD_FAILED, "winhttp, untrusted certificate")
        s.session.env["WINEDLLOVERRIDES"] = scenario.winehost.WINE_ENV["WINEDLLOVERRIDES"]
        s.run()
        s.expect_failed(DOWNLOAD_FAILED, "urlmon, untrusted certificate")
        check(not any(r[0] == "GET" for r in server.requests), "no file was served")


def not_found(s):
    """404 is a failed download with either transport, even though urlmon saves the error page."""
    with LoopbackServer({}) as server:
        s.build_for_download(server)
        del server.files["/" + ARCHIVE]
        s.run()
        s.expect_failed(DOWNLOAD_FAILED, "urlmon 404", reason="the server answered HTTP 404")
        s.without_urlmon()
        s.run()
        s.expect_failed(DOWNLOAD_FAILED, "winhttp 404", reason="the server answered HTTP 404")


def server_down(s):
    """No server at the block's URL: the silent run installs nothing, exits 1603 and logs why, through
    either transport."""
    with LoopbackServer({}) as server:
        s.build_for_download(server)
    for transport in urlmon_and_winhttp(s):
        s.run()
        s.expect_failed(DOWNLOAD_FAILED, transport + ", server down", reason="the server cannot be reached")


def changed_on_server(s):
    """The archive on the server is not the one the setup was built with (rebuilt since): the log says so,
    and the wrong download is not kept for a resume."""
    with LoopbackServer({}) as server:
        s.build_for_download(server)
        s.files["readme.txt"] = b"rebuilt since\r\n"
        server.files["/" + ARCHIVE] = s.build(s.url, s.work / "rebuilt")
        s.run()
        s.expect_failed(EXTRACT_FAILED, "changed on the server",
                        reason=f"the server's copy of {ARCHIVE} differs from the one this setup was built with")
        check(not (s.data / ARCHIVE).exists(), "the wrong download is deleted")


def local_copy(s):
    """An archive beside the setup is used without network access."""
    with LoopbackServer({}) as server:
        s.build(server.url("/" + ARCHIVE))
        equal(s.run(), 0, "exit code")
        check((s.folder / ARCHIVE).exists(), "the local copy stays")
        s.expect_installed("local copy")
        equal(server.requests, [], "requests")


def damaged_archives(s):
    """A flipped byte and an archive that is not the one built go to the extraction failure path."""
    with LoopbackServer({}) as server:
        archive = bytearray(s.build(server.url("/" + ARCHIVE)))
        archive[len(archive) // 2] ^= 0x01
        (s.folder / ARCHIVE).write_bytes(bytes(archive))
        s.run()
        s.expect_failed(EXTRACT_FAILED, "flipped byte", "\\" + ARCHIVE,
                        "differs from the one this setup was built with")
        # A sound archive of other content: only the hash tells it apart.
        other = s.work / "other"
        s.files["readme.txt"] = b"not what was built\r\n"
        s.build(server.url("/" + ARCHIVE), other)
        shutil.copy(other / ARCHIVE, s.folder / ARCHIVE)
        s.run()
        s.expect_failed(EXTRACT_FAILED, "hash mismatch", "\\" + ARCHIVE,
                        f"the copy beside the setup of {ARCHIVE} differs from the one this setup was built with")
        check(not (s.data / BLOCK).exists(), "the unfinished block is removed")


# Installs, or with REMOVE=TRUE removes, and writes the outcome.
APPLY = """If
  | REMOVE
  | 0
  | TRUE
  | FALSE
  Apply Changes
    | progress
    | RESULT
    | FALSE
    | TRUE
Else
  Apply Changes
    | progress
    | RESULT
    | TRUE
    | FALSE
End
Write to Text File
  | $TEMPDIR$result.txt
  | $RESULT$
  | FALSE
"""


def block_installed(s):
    """The block's files travel only in its archive: the package holds none of them. After the download the
    installer copies each from where the fetch left it (the block's tree, or where the media file map moved
    it) into the destination; the removal deletes them again."""
    with LoopbackServer({}) as server:
        s.build_for_download(server, tail=APPLY)
        package = s.folder / "webmedia.msi"
        listed = subprocess.run(["msiextract", "-l", str(package)], capture_output=True, text=True, check=True).stdout
        equal(listed.split(), [], "files in the package's cabinet")
        check(not any(data[:64] in package.read_bytes() for data in s.files.values()), "no block bytes in the .msi")
        equal(s.run(), 0, "exit code of the installation")
        equal((s.session.temp / "result.txt").read_text().strip(), "COMPLETE", "outcome")
        found = list(s.session.drive_c.glob("Program Files*/Web Media Test"))
        equal(len(found), 1, "the destination folder")
        target = found[0]
        for name, data in s.files.items():
            equal((target / name).read_bytes(), data, name + " installed from the block")
        equal(s.run_removal(), 0, "exit code of the removal")
        equal((s.session.temp / "result.txt").read_text().strip().splitlines()[-1], "COMPLETE", "removal outcome")
        check(not any((target / name).exists() for name in s.files), "the removal deleted the block's files")


# A service, an ODBC driver with its setup library (moved by the media file map) and a private assembly,
# each from the block.
PROGRAMS = {"svc/orvsvc.exe": b"the block's service program\r\n" * 40,
            "odbc/orvodbc.dll": b"the block's ODBC driver\r\n" * 40,
            "odbc/orvodbcsetup.dll": b"the block's ODBC setup library\r\n" * 40,
            "lib/Orv.Private.dll": b"the block's private assembly\r\n" * 40}
PROGRAM_MAP = (f"MediaFile = {BLOCK} | odbc\\orvodbc.dll | Drivers\\odbc\n"
               f"MediaFile = {BLOCK} | odbc\\orvodbcsetup.dll | Drivers\\odbc\n")
PROGRAM_COMMANDS = f"""Install Service @ media={BLOCK}\\
  | block/svc/orvsvc.exe
  | $TARGETDIR$service\\
  | own
  | OrvBlockService
  | Orvanta Block Service
  |
  | demand
  | normal
  |
  |
  |
  | stop, remove
  |
  |
  |
Install ODBC Driver @ media={BLOCK}\\
  | Orvanta Block Driver
  | block/odbc/orvodbc.dll
  | block/odbc/orvodbcsetup.dll
  | $TARGETDIR$driver\\
Install Assembly @ media={BLOCK}\\
  | block/lib/Orv.Private.dll
  | FALSE
  | $TARGETDIR$assembly\\
  | Orv.Private
  | 1.0.0.0
"""


def block_programs(s):
    """A service's program, an ODBC driver and an assembly from the block travel only in its archive. After the
    download the installer copies each from where the fetch left it, the service and the driver are registered
    with the copies, and the removal takes them away again."""
    s.files.update(PROGRAMS)
    with LoopbackServer({}) as server:
        s.build_for_download(server, tail=PROGRAM_COMMANDS + APPLY, values=PROGRAM_MAP)
        package = (s.folder / "webmedia.msi").read_bytes()
        check(not any(data[:64] in package for data in PROGRAMS.values()), "no program of the block in the .msi")
        verbose = subprocess.run([s.orvanta, "build", str(s.session.prefix / "project-webmedia"), "-o",
                                  str(s.work / "verbose"), "--engine-dir", str(s.engine), "--arch",
                                  s.session.path.arch, "-v"], capture_output=True, text=True, check=True).stdout
        for line in ("block/svc/orvsvc.exe: in Block1.7zip only, not in the package; installed from the data "
                     "folder's Block1\\svc\\orvsvc.exe",
                     "block/odbc/orvodbcsetup.dll: in Block1.7zip only, not in the package; installed from the data "
                     "folder's Drivers\\odbc\\orvodbcsetup.dll"):
            check(line in verbose.splitlines(), f"build -v says where {line.split(':')[0]} went: {verbose!r}")
        equal(s.run(), 0, "exit code of the installation")
        equal((s.session.temp / "result.txt").read_text().strip(), "COMPLETE", "outcome")
        equal((s.data / "Drivers" / "odbc" / "orvodbc.dll").read_bytes(), PROGRAMS["odbc/orvodbc.dll"],
              "the driver where the media file map moved it")
        target = next(s.session.drive_c.glob("Program Files*/Web Media Test"))
        installed = {"service/orvsvc.exe": "svc/orvsvc.exe", "driver/orvodbc.dll": "odbc/orvodbc.dll",
                     "driver/orvodbcsetup.dll": "odbc/orvodbcsetup.dll",
                     "assembly/Orv.Private.dll": "lib/Orv.Private.dll"}
        for path, name in installed.items():
            equal((target / path).read_bytes(), PROGRAMS[name], path + " installed from the block")
        service = r"HKLM\System\CurrentControlSet\Services\OrvBlockService"
        equal(s.session.reg_query(service, "ImagePath"), s.session.windows_path(target / "service" / "orvsvc.exe"),
              "the service runs the program from the block")
        driver = r"HKLM\Software\ODBC\ODBCINST.INI\Orvanta Block Driver"
        equal(s.session.reg_query(driver, "Driver"), s.session.windows_path(target / "driver" / "orvodbc.dll"),
              "the driver library from the block")
        equal(s.session.reg_query(driver, "Setup"), s.session.windows_path(target / "driver" / "orvodbcsetup.dll"),
              "the setup library from the block")
        equal(s.run_removal(), 0, "exit code of the removal")
        check(not any((target / path).exists() for path in installed), "the removal deleted the programs")
        equal(s.session.reg_query(service), None, "the service after the removal")
        equal(s.session.reg_query(driver), None, "the driver after the removal")


def marker(s):
    """A block with its marker is not fetched again."""
    with LoopbackServer({}) as server:
        s.build_for_download(server)
        equal(s.run(), 0, "first run")
        before = len(server.requests)
        (s.session.temp / "webmedia.txt").unlink()
        equal(s.run(), 0, "second run")
        check(s.reported(), "the second run went on")
        equal(len(server.requests), before, "no request in the second run")


def offline_copy(s):
    """"Apply Changes" in the caching mode copies offline media into the data folder."""
    with LoopbackServer({}) as server:
        s.build(server.url("/" + ARCHIVE), tail="Apply Changes\n  | progress\n  | RESULT\n  | TRUE\n  | FALSE\n")
        (s.folder / "offline" / "disk1").mkdir(parents=True)
        (s.folder / "offline" / "disk1" / "part1.cab").write_bytes(b"cabinet")
        (s.folder / "mergemod").mkdir()
        (s.folder / "mergemod" / "module.msm").write_bytes(b"module")
        equal(s.run(), 0, "exit code")
        equal((s.data / "offline" / "disk1" / "part1.cab").read_bytes(), b"cabinet", "offline file")
        equal((s.data / "module.msm").read_bytes(), b"module", "merge module")
        check((s.data / "offline" / REVISION).is_file(), "the offline block's marker (OFFLINE\\ is the offline folder)")


def nginx(s):
    """A real web server: urlmon downloads the block; WinHTTP resumes a partial archive with a range."""
    if not shutil.which("nginx"):
        raise scenario.winehost.SkipScenario("nginx is missing (Debian nginx-light)")
    # The document root inside a private folder, as in a checkout under root's own home.
    private = s.work / "private"
    shutil.rmtree(private, ignore_errors=True)
    root = private / "www"
    root.mkdir(parents=True)
    private.chmod(0o700)
    with NginxServer(root, s.work / "nginx") as server:
        archive = s.build(server.url("/" + ARCHIVE))
        (s.folder / ARCHIVE).rename(root / ARCHIVE)
        equal(s.run(), 0, "exit code of the urlmon run")
        s.expect_installed("urlmon from nginx")
        shutil.rmtree(s.data)
        (s.session.temp / "webmedia.txt").unlink()

        s.without_urlmon()
        kept = len(archive) * 60 // 100
        s.data.mkdir(parents=True)
        (s.data / ARCHIVE).write_bytes(archive[:kept])
        # The validator an earlier run would have kept: nginx's own ETag.
        direct = urllib.request.build_opener(urllib.request.ProxyHandler({}))
        with direct.open(urllib.request.Request(server.url("/" + ARCHIVE), method="HEAD"), timeout=10) as head:
            etag = head.headers["ETag"]
        (s.data / (ARCHIVE + ".validator")).write_text(etag)
        equal(s.run(), 0, "exit code of the resumed run")
        s.expect_installed("resumed from nginx")
        gets = [r for r in server.requests() if r[0] == "GET"]
        equal(gets[-1][2:], (f"bytes={kept - 2048}-", etag, "206"), "the resumed request")


def retry_dialog(s):
    """Interactive: the retry question after a failed download, Yes through the proxy (with its user and
    password) typed into it, then No."""
    s.without_urlmon()
    caption = "Retry Download?"
    with LoopbackServer({}) as proxy:
        # A host nobody can reach directly: only the proxy knows the file.
        url = "http://webmedia.invalid/" + ARCHIVE
        proxied = "http://webmedia.invalid:80/" + ARCHIVE  # the request line WinHTTP sends to a proxy
        proxy.files[proxied] = s.build(url)
        (s.folder / ARCHIVE).unlink()
        process = s.session.start(s.folder / "webmedia.exe")
        controls = s.ui.controls(caption, timeout_ms=60000)
        check(controls is not None, "the retry question appears")
        texts = [text for cls, _, text in controls if text]
        for expected in ("Downloading of installation data from the web has failed. Would you like to try again?",
                         " Proxy Information (optional) ", "Proxy &Server:", "Proxy &Port:", "Proxy &User:",
                         "Proxy Pass&word:", "&Yes", "&No"):
            check(expected in texts, f"{expected!r} among {texts!r}")
        proxy.proxy_user = "setup:Se cret"
        for control, value in (("#100", "127.0.0.1"), ("#101", str(proxy.port)), ("#102", "setup"),
                               ("#103", "Se cret")):
            check(s.ui.set_text(caption, control, value), "typed into " + control)
        s.session.screenshot("webmedia-retry-download.png")
        check(s.ui.click(caption, "&Yes"), "Yes")
        equal(s.session.finish(process, timeout=120), 0, "exit code")
        s.expect_installed("through the proxy")
        answered = [r[:2] for r in proxy.requests if len(r) == 4]
        equal(answered, [("HEAD", proxied), ("GET", proxied)], "the requests the proxy answered")
        check(any(len(r) == 5 for r in proxy.requests), "the proxy asked for the user first")

        shutil.rmtree(s.data)
        process = s.session.start(s.folder / "webmedia.exe")
        check(s.ui.wait(caption, timeout_ms=60000), "the question again")
        check(s.ui.click(caption, "&No"), "No")
        equal(s.ui.message_box("Orvanta", timeout_ms=30000),
              f'{DOWNLOAD_FAILED} (block "{BLOCK}", {url}): the server cannot be reached', "the message box")
        check(s.ui.click("Orvanta", "OK"), "the box closed")
        equal(s.session.finish(process, timeout=60), 1603, "exit code after No")
        check(not (s.data / BLOCK / REVISION).exists(), "no block")


PROGRESS_FORM = """object Progress: TForm
  Caption = 'Progress Page'
  ClientHeight = 120
  ClientWidth = 420
  object Status: TStaticText
    Left = 16
    Top = 24
    Width = 388
    Height = 34
    AutoSize = False
    Tag = 1
  end
  object Bar: TProgressBar
    Left = 16
    Top = 70
    Width = 388
    Height = 17
    Tag = 1
  end
end
"""


def progress_page(s):
    """Interactive: a modeless progress page shows the download's text with bytes and percentage, and its bar."""
    head = "Display Dialog\n  | progress\n  | PAGE\n  | FALSE\n  |\n  | TRUE\n  | FALSE\n"
    with LoopbackServer({}) as server:
        server.files["/" + ARCHIVE] = s.build(server.url("/" + ARCHIVE), head=head,
                                             support={"progress.dfm": PROGRESS_FORM, "progress.dfm.kebf": ""})
        (s.folder / ARCHIVE).unlink()
        server.pause = 1.5  # slow enough to be seen under load; lifted once seen
        process = s.session.start(s.folder / "webmedia.exe")
        seen, bars = [], []
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline and process.poll() is None:
            rows = s.ui.controls("Progress Page", 1000) or []
            # The text also passes through the transport's status texts; wait for the bytes.
            seen += [text for _, _, text in rows if text.startswith("Downloading Web Media: ") and "%" in text
                     and "bytes" in text]
            bars += [bar for bar in (s.ui.progress("Progress Page", 1000) or []) if 0 < bar[2] < 100]
            if seen and bars:
                s.session.screenshot("webmedia-progress-page.png")
                break
            time.sleep(0.3)
        check(seen, "the download's text with its bytes and percentage on the page")
        check(bars and bars[-1][:2] == (0, 100), f"the page's bar between 0 and 100: {bars[-1:]}")
        server.pause = 0
        equal(s.session.finish(process, timeout=180), 0, "exit code")
        s.expect_installed("with a progress page")


def resume_question(s):
    """Interactive, urlmon: the resume-or-new-copy question; Cancel ends the script with the message box."""
    caption = "Retry Download?"
    with LoopbackServer({}) as server:
        s.build_for_download(server)
        del server.files["/" + ARCHIVE]
        process = s.session.start(s.folder / "webmedia.exe")
        controls = s.ui.controls(caption, timeout_ms=60000)
        check(controls is not None, "the question appears")
        texts = [text for cls, _, text in controls if text]
        for expected in ("Downloading of installation data from the web has failed. Please make sure you are "
                         "connected to the Internet.", "Would you like to:", "Try to &resume the broken download?",
                         "Download a &new copy of the data instead?", "&OK", "&Cancel"):
            check(expected in texts, f"{expected!r} among {texts!r}")
        s.session.screenshot("webmedia-resume-question.png")
        check(s.ui.click(caption, "&Cancel"), "Cancel")
        equal(s.ui.message_box("Orvanta", timeout_ms=30000),
              f'{DOWNLOAD_FAILED} (block "{BLOCK}", {s.url}): the server answered HTTP 404', "the message box")
        check(s.ui.click("Orvanta", "OK"), "the box closed")
        equal(s.session.finish(process, timeout=60), 1603, "exit code after Cancel")
        check(not s.reported(), "the script ended")


def extraction_question(s):
    """Interactive: a damaged copy beside the setup; "download a fresh copy" skips it and fetches from the URL."""
    caption = "Retry Extraction?"
    with LoopbackServer({}) as server:
        archive = s.build(server.url("/" + ARCHIVE))
        server.files["/" + ARCHIVE] = archive
        damaged = bytearray(archive)
        damaged[len(damaged) // 2] ^= 0x01
        (s.folder / ARCHIVE).write_bytes(bytes(damaged))
        process = s.session.start(s.folder / "webmedia.exe")
        controls = s.ui.controls(caption, timeout_ms=60000)
        check(controls is not None, "the question appears")
        texts = [text for cls, _, text in controls if text]
        for expected in ("Extraction of installation data downloaded from the web has failed. What would you like to do?",
                         "&Download a fresh copy of the installation data.",
                         "Try to &extract the existing download data again.", "&OK", "&Cancel"):
            check(expected in texts, f"{expected!r} among {texts!r}")
        s.session.screenshot("webmedia-extraction-question.png")
        check(s.ui.click(caption, "&OK"), "OK: a fresh copy")
        equal(s.session.finish(process, timeout=120), 0, "exit code")
        s.expect_installed("fresh copy")
        check(any(r[0] == "GET" for r in server.requests), "the fresh copy came from the server")
        equal((s.folder / ARCHIVE).read_bytes(), bytes(damaged), "the rejected copy is left alone")


SCENARIOS = {f.__name__: f for f in (
    retry_dialog, resume_question, extraction_question, silent_download, download_again, http_client_download,
    arm64_block,
    resume_after_cut, ignored_ranges, no_length, odd_length_headers, foreign_ranges, head_answers,
    range_not_satisfiable, not_found, server_down, changed_on_server, block_installed, block_programs, local_copy, damaged_archives, marker, offline_copy, nginx,
    redirect_and_https, progress_page)}

if __name__ == "__main__":
    sys.exit(scenario.main("webmedia", SCENARIOS, Scenario, programs=("kebstub.exe", "keb.dll", "uidriver.exe"),
        tools=("7zz", "wixl", "msibuild"), timeout=400))
