"""End-to-end scenarios of the Windows Installer session under Wine.

msisession.exe drives the engine's session (database edits, the apply thread,
the message handler) against Wine's msi.dll; packages are built with wixl and
read back on the host with msitools.

usage: installer_e2e.py --builds DIR --work-dir DIR SCENARIO
Exit code 77 means skipped (no Windows build).
"""

import re
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import msipackages  # noqa: E402
import scenario  # noqa: E402
from msipackages import properties, table  # noqa: E402
from scenario import check, equal  # noqa: E402

PRODUCT = "{5A0C7E21-3B9D-4F6A-8E12-7C4D9B0A1F33}"
PACKAGE_CODE = "{0E6A2B4C-1D3F-4A5B-9C7D-8E9F0A1B2C3D}"
COMPONENTS = ["{1C2D3E4F-5A6B-4C7D-8E9F-0A1B2C3D4E5F}", "{2D3E4F5A-6B7C-4D8E-9F0A-1B2C3D4E5F60}"]

def build_package(folder, arch):
    """A two-component package with a fixed package code."""
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "hello.txt").write_text("hello from the session test\n")
    (folder / "extra.txt").write_text("".join(f"{n}\n" for n in range(20000)))
    wxs = msipackages.product_wxs(PRODUCT, "Session Test", "{7B3E1F20-6C4A-4D8E-9F01-2A3B4C5D6E7F}", "session.cab",
                                  "SessionTest", files=zip(COMPONENTS, ["hello.txt", "extra.txt"]),
                                  properties=[("A", "0")], arch=arch)
    return msipackages.build_msi(folder, wxs, "session.msi", PACKAGE_CODE, arch=arch).read_bytes()


class Scenario(scenario.Scenario):
    def __init__(self, session, engine, orvanta, work):
        super().__init__(session, engine, orvanta, work)
        self.helper = self.engine / "msisession.exe"
        self.original = build_package(self.work / "package-source", session.path.arch)
        self.keb = session.drive_c / "keb1"
        self.keb.mkdir()

    def package(self, name):
        path = self.keb / name
        path.write_bytes(self.original)
        return path

    def msisession(self, *args):
        result = self.session.wine(str(self.helper), *args, timeout=120)
        out = result.stdout.replace("\r", "")
        equal(result.returncode, 0, f"msisession {args[0]} exit code ({out})")
        return dict(line.split("=", 1) for line in out.splitlines() if "=" in line)

    def apply(self, mode, package, log=None):
        args = ["apply", mode, self.session.windows_path(package), PRODUCT, "C:\\My Setup\\data\\"]
        return self.msisession(*args + ([log] if log else []))

    def product_state(self):
        return int(self.msisession("state", PRODUCT)["state"])


def database_edits(s):
    """Pending properties: the last of a name wins; quotes and line breaks are ordinary text."""
    package = s.package("props.msi")
    s.msisession("write", s.session.windows_path(package), "A=1", "B=2", "A=3", "QUOTE=it's \"quoted\"",
                 "LINES=one\\ntwo")
    values = properties(package)
    equal(values["A"], "3", "A")
    equal(values["B"], "2", "B")
    equal(values["QUOTE"], "it's \"quoted\"", "a value with quotes")
    equal(values["LINES"], "one\r\ntwo", "a two-line value")


def new_instance(s):
    """A new instance: fresh component ids, package code and ProductCode, and the pending property."""
    package = s.package("instance.msi")
    new_product, new_package = "{9F8E7D6C-5B4A-4392-8170-6F5E4D3C2B1A}", "{A1B2C3D4-E5F6-4718-9A0B-1C2D3E4F5A6B}"
    out = s.msisession("write", s.session.windows_path(package), "--new-instance", new_product, new_package,
                       "MSINTEMP=C:\\temp\\")
    equal(out["reidentified"], s.session.windows_path(package), "the re-identified package")
    ids = [row[1] for row in table(package, "Component")]
    equal(len(ids), 2, "component rows")
    check(not set(ids) & set(COMPONENTS), "every component id changed: %r" % ids)
    check(all(re.fullmatch(r"\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\}", i) for i in ids),
          "upper-case GUIDs: %r" % ids)
    equal(msipackages.package_code(package), new_package, "the package code in the summary")
    values = properties(package)
    equal(values["ProductCode"], new_product, "ProductCode")
    equal(values["MSINTEMP"], "C:\\temp\\", "the pending property")


def install_reinstall_remove(s):
    """The session installs, reinstalls the installed product and removes it, with log and progress."""
    package = s.package("product.msi")
    target = s.session.drive_c / "Program Files" / "SessionTest"

    out = s.apply("install", package, log="C:\\logs\\session.log")
    equal(out["result"], "1", f"install result ({out})")
    check((target / "hello.txt").exists(), "the installed file")
    equal(s.product_state(), 5, "product state after the install")
    check(int(out["maxtotal"]) > 100, f"the installer's total reached the progress state ({out})")
    check(int(out["positions"]) > 3, f"the position went through several values ({out})")

    log = (s.session.drive_c / "logs" / "session.log").read_bytes()
    # The header is UTF-16LE. Wine's msi.dll ignores the append flag and writes
    # its own log from the start of the file, over the first header lines, so
    # the later header sections and the installer's lines are what is left.
    tail = log[log.index("*** GUID ***".encode("utf-16-le")):].decode("utf-16-le")
    # The data folder is made for the run and named by its short form.
    short = re.search(r"\*\*\* Data Directory \*\*\*\r\n(C:\\([^\\ ]+~[^\\ ]+)\\data\\)\r\n", tail)
    check(short, "the short data folder in the header: %r" % tail)
    check(f"*** Media Directory ***\r\n\\{short.group(2)}\\\r\n" in tail, "the media path: %r" % tail)
    check(tail.endswith("*** MSI Directory ***\r\nC:\\keb1\\\r\n\r\n\r\n"), "the header's end: %r" % tail)
    check(b"1: Session Test 2: " + PRODUCT.encode() in log, "the installer's own log lines")

    (target / "hello.txt").unlink()
    out = s.apply("install", package)
    equal(out["result"], "1", f"reinstall result ({out})")
    check((target / "hello.txt").exists(), "the reinstall restored the missing file")

    out = s.apply("remove", package)
    equal(out["result"], "1", f"removal result ({out})")
    check(not (target / "hello.txt").exists(), "the removal deleted the file")
    check(s.product_state() != 5, "the product is no longer installed")
    check(not list(s.session.temp.glob(PRODUCT)), "no property file is left in TEMP")


SCENARIOS = {f.__name__: f for f in (database_edits, new_instance, install_reinstall_remove)}


if __name__ == "__main__":
    sys.exit(scenario.main("installer", SCENARIOS, Scenario,
                           programs=("msisession.exe",), tools=("wixl", "msibuild", "msiinfo"), needs_orvanta=False))
