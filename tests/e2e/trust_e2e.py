"""End-to-end scenarios of what makes a setup trusted by Windows: the
manifest, version resource and icon orvanta build writes into the setup's
engine, read back through Windows' own resource functions under Wine and with
objdump; and an Authenticode signature made with osslsigncode, which Wine runs
and installs, and which one changed byte of the payload breaks.

usage: trust_e2e.py --builds DIR --work-dir DIR --orvanta PATH SCENARIO
Exit code 77 means skipped.
"""

import re
import shutil
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import scenario  # noqa: E402
import setupfiles  # noqa: E402
from scenario import check, equal  # noqa: E402

OBJDUMP = {32: "i686-w64-mingw32-objdump", 64: "x86_64-w64-mingw32-objdump"}
COMPLETE_REPORT = ["Hello from Orvanta Sample: the answer is 42, maintenance FALSE", "Result: COMPLETE "]


class Scenario(scenario.Scenario):
    def __init__(self, session, engine, orvanta, work):
        super().__init__(session, engine, orvanta, work)
        shutil.rmtree(self.work, ignore_errors=True)  # what an earlier run left
        self.work.mkdir(parents=True)

    def build(self, project, *options):
        """Builds into a folder of the prefix's drive C named after the project; returns it."""
        return self.orvanta_build(project, self.session.drive_c / project.name, *options)

    def read_resource(self, what, program):
        """resourcereader's output for the program, through Wine's resource and version functions."""
        result = self.session.wine(str(self.engine / "resourcereader.exe"), what, self.session.windows_path(program))
        equal(result.returncode, 0, f"exit code of resourcereader {what} {program.name}")
        return result.stdout.replace("\r\n", "\n")

    def install(self, exe):
        """Runs the setup silently; checks the sample's report and an installed file."""
        (self.session.temp / "orvanta-sample.txt").unlink(missing_ok=True)
        equal(self.session.run(exe, "/s", timeout=240), 0, f"exit code of {exe.name}")
        equal(self.report("orvanta-sample.txt"), COMPLETE_REPORT, "the sample script's report")
        check((self.session.drive_c / "Program Files" / "Orvanta Sample" / "readme.txt").is_file(), "the installed file")

    def remove(self, exe):
        equal(self.session.run(exe, "REMOVE=TRUE", "MODIFY=FALSE", "/s", timeout=240), 0, "exit code of the removal")


def execution_level(manifest):
    found = re.search(r'<requestedExecutionLevel\b[^>]*\blevel="([^"]+)"', manifest)
    return found.group(1) if found else None


def setup_resources(s):
    """The setup's manifest, version texts and icon as Windows reads them; the setup runs as before."""
    project = s.sample_project("resources", "Icon = setup.ico\nVersion = 2.5.1\nDescription = Sample Setup \x80 2024\n")
    (project / "setup.ico").write_bytes(setupfiles.icon(16, 32, 48))
    out = s.build(project, "--elevation", "highestAvailable")
    exe = out / "sample.exe"

    # The section table and resource tree as objdump reads them.
    dump = subprocess.run([OBJDUMP[s.session.path.width], "-p", "-h", str(exe)], check=True, capture_output=True,
                          text=True).stdout
    sections = re.findall(r"^\s*\d+ (\.\w+)\s", dump, re.M)
    equal(sections[-2:], [".reloc", ".rsrc"], "the last sections: relocations moved down, the new resources last")
    equal(sections.count(".rsrc"), 1, "resource sections")
    types = {int(t, 16) for t in re.findall(r"^[0-9a-f]{3}   Entry: ID: (0x[0-9a-f]+)", dump, re.M)}
    equal(types, {3, 14, 16, 24}, "resource types: icon images, icon group, version, manifest")

    manifest = s.read_resource("manifest", exe)
    equal(execution_level(manifest), "highestAvailable", "the requested execution level")
    for needed in ('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', "PerMonitorV2, PerMonitor",
                   "true/pm", "<longPathAware", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
                   "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"):
        check(needed in manifest, "the manifest holds " + needed)
    check("<activeCodePage" not in manifest, "the manifest leaves the ANSI code page alone")

    # Texts come back through the ANSI code page (1252) they were written in.
    version = dict(line.split("=", 1) for line in s.read_resource("version", exe).splitlines() if "=" in line)
    equal(version, {"ProductName": "Orvanta Sample", "CompanyName": "Orvanta Samples",
                    "FileDescription": "Sample Setup \x80 2024", "ProductVersion": "2.5.1", "FileVersion": "2.5.1",
                    "OriginalFilename": "sample.exe", "FixedProductVersion": "2.5.1.0"}, "the version resource")
    equal(s.read_resource("icon", exe).splitlines(),
          ["icon 1 16x16 32bpp", "icon 2 32x32 32bpp", "icon 3 48x48 32bpp"], "the setup's icon group")

    # Without a choice: administrator rights for a per-machine setup, none for
    # one that installs for its user; the engine itself asks for none.
    per_machine = s.build(s.sample_project("per-machine"))
    per_user = s.build(s.sample_project("per-user", script_start="Set Variable\n  | ALLUSERS\n  | FALSE\n"))
    equal(execution_level(s.read_resource("manifest", per_machine / "sample.exe")), "requireAdministrator",
          "the default level of a per-machine setup")
    equal(execution_level(s.read_resource("manifest", per_user / "sample.exe")), "asInvoker",
          "the default level of a per-user setup")
    equal(execution_level(s.read_resource("manifest", s.engine / "kebstub.exe")), "asInvoker", "the engine's own level")
    version = s.read_resource("version", per_machine / "sample.exe")
    check("FileDescription=Orvanta Sample Setup\n" in version and "ProductVersion=1.0.0\n" in version,
          "the default description and the package's version: " + version)

    s.install(exe)
    s.remove(exe)


def signed_setup(s):
    """A signed setup verifies, installs like an unsigned one, and one changed payload byte breaks it."""
    keys = s.work / "keys"
    keys.mkdir()
    certificate, key = keys / "cert.pem", keys / "key.pem"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", str(key), "-out",
                    str(certificate), "-days", "2", "-subj", "/CN=Orvanta Test Signer/O=Orvanta Tests"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    out = s.build(s.sample_project("signed"), "--sign-cert", str(certificate), "--sign-key", str(key))
    exe = out / "sample.exe"

    def osslsigncode_verify(program):
        return subprocess.run(["osslsigncode", "verify", "-in", str(program), "-CAfile", str(certificate)],
                              capture_output=True, text=True)

    def orvanta_verify(program):
        return subprocess.run([s.orvanta, "verify", str(program), "--ca", str(certificate)], capture_output=True,
                              text=True)

    for program in (exe, out / "keb.dll"):
        verified = osslsigncode_verify(program)
        equal(verified.returncode, 0, f"osslsigncode verify of {program.name}: {verified.stdout}")
        check("Signature verification: ok" in verified.stdout, "osslsigncode's verdict on " + program.name)
        ours = orvanta_verify(program)
        equal(ours.returncode, 0, f"orvanta verify of {program.name}: {ours.stdout}")
        check("signature: intact" in ours.stdout and "signed by: /CN=Orvanta Test Signer/O=Orvanta Tests" in ours.stdout
              and "certificate: trusted" in ours.stdout, "orvanta verify's report: " + ours.stdout)
    untrusted = subprocess.run([s.orvanta, "verify", str(exe)], capture_output=True, text=True)
    equal(untrusted.returncode, 2, "orvanta verify of a self-signed setup against the system's roots: " + untrusted.stdout)
    unsigned = s.engine / "kebstub.exe"
    equal(subprocess.run([s.orvanta, "verify", str(unsigned)], capture_output=True, text=True).returncode, 1,
          "orvanta verify of an unsigned file")

    # The engine finds its script before the signature and installs as usual.
    s.install(exe)
    s.remove(exe)

    # One changed byte of the payload (the script's greeting) breaks the signature.
    data = bytearray(exe.read_bytes())
    greeting = data.find(b"Hello from $TITLE$")
    check(greeting > 0, "the greeting in the payload")
    data[greeting] = ord("J")
    changed = out / "changed.exe"
    changed.write_bytes(bytes(data))
    verified = osslsigncode_verify(changed)
    check(verified.returncode != 0 and "MISMATCH" in verified.stdout, "osslsigncode on the changed setup: " + verified.stdout)
    ours = orvanta_verify(changed)
    equal(ours.returncode, 1, "orvanta verify of the changed setup: " + ours.stdout)
    check("signature: BROKEN" in ours.stdout, "orvanta verify's report of the changed setup: " + ours.stdout)


SCENARIOS = {f.__name__: f for f in (setup_resources, signed_setup)}


if __name__ == "__main__":
    sys.exit(scenario.main("trust", SCENARIOS, Scenario,
                           programs=("kebstub.exe", "keb.dll", "resourcereader.exe"),
                           tools=("wixl", "msibuild", "7zz", "osslsigncode", "openssl"), timeout=600))
