"""End-to-end scenarios of the session start under Wine: the state of an
earlier installation (made real with msiexec), the instance files, the
command-line values and the resume entries.

usage: session_e2e.py --win32-dir DIR --work-dir DIR --orvanta PATH SCENARIO
Each script writes what it checks to a text file in TEMP. Exit code 77 means skipped.
"""

import argparse
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import winehost  # noqa: E402

PRODUCT = "{8C1E3A5F-7B9D-4E2A-9C4E-6A8B0C2D4E6F}"
REVISION = "{9D2F4B60-8CAE-4F3B-8D5F-7B9C1D3E5F70}"
OTHER_REVISION = "{AE306C71-9DBF-4A4C-9E60-8CAD2E4F6081}"
SETUP = "state"

WXS = f"""<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="{PRODUCT}" Name="Session Start Test" Language="1033" Version="1.0.0"
           Manufacturer="Orvanta Tests" UpgradeCode="{{BF417D82-AEC0-4B5D-8F71-9DBE3F5A7192}}">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine" />
    <Media Id="1" Cabinet="state.cab" EmbedCab="yes" />
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFilesFolder">
        <Directory Id="INSTALLDIR" Name="SessionStartTest">
          <Component Id="Main" Guid="{{C0528E93-BFD1-4C6E-9082-AECF406B82A3}}">
            <File Id="marker" Name="marker.txt" Source="marker.txt" KeyPath="yes" />
          </Component>
        </Directory>
      </Directory>
    </Directory>
    <Feature Id="Complete" Level="1"><ComponentRef Id="Main" /></Feature>
  </Product>
</Wix>
"""

HEADER = """Setup = {setup}
Title = Session Start Test
ProductCode = {product}
RevisionCode = {revision}
MediaMode = 1
Package = package.msi

[script]
"""

STATE_SCRIPT = """
Get Component State
  | ZOLT-PREDEF-COMPONENT
  | PREDEFINED
Get Component State
  | Saved Feature
  | SAVED
Get Component State
  | Unselected Feature
  | UNSELECTED
Write to Text File
  | $TEMPDIR$state.txt
  | $MAINTENANCE$|$NEEDSUPGRADE$|$NEWINSTANCE$|$PREDEFINED$|$SAVED$|$UNSELECTED$
  | FALSE
"""

# FROMCMD is set by the script only after it is read; ONLYCMD by no command at all.
COMMAND_LINE_SCRIPT = """
Write to Text File
  | $TEMPDIR$values.txt
  | $FROMCMD$ $ONLYCMD$
  | FALSE
Set Variable
  | FROMCMD
  | from the script
Write to Text File
  | $TEMPDIR$values.txt
  | $FROMCMD$
  | FALSE
"""

RESUME_SCRIPT = """
Write to Text File
  | $TEMPDIR$ran.txt
  | ran
  | FALSE
"""

# The instance's component file: two saved components, the first selected.
SAVED_COMPONENTS = "Saved Feature\r\nUnselected Feature\r\n$\r\nTRUE\r\nFALSE\r\n$\r\nC:\\Saved\\\r\nTRUE\r\nSaved Menu\r\nC:\\SAVED~1\\\r\n"


def check(condition, what):
    if not condition:
        raise AssertionError("failed: " + what)


def equal(actual, expected, what):
    if actual != expected:
        raise AssertionError(f"{what}: expected {expected!r}, got {actual!r}")


def build_package(folder, package_code):
    """The product as a package of its own, with a chosen package code."""
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "state.wxs").write_text(WXS)
    (folder / "marker.txt").write_text("installed\n")
    subprocess.run(["wixl", "-a", "x86", "-o", "package.msi", "state.wxs"], cwd=folder, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["msibuild", "package.msi", "-s", "Installation Database", "Orvanta Tests", "Intel;1033",
                    package_code], cwd=folder, check=True)
    summary = subprocess.run(["msiinfo", "suminfo", "package.msi"], cwd=folder, check=True, capture_output=True,
                             text=True).stdout
    check(f"Revision number (UUID): {package_code}" in summary, "the package code of the test package: " + summary)
    return folder / "package.msi"


class Scenario:
    def __init__(self, session, win32, orvanta):
        self.session = session
        self.win32 = Path(win32)
        self.orvanta = orvanta
        self.package = build_package(session.prefix / "package", REVISION)

    def build(self, name, script, revision=REVISION):
        """A setup in C:\\<name>\\ whose package is the test package."""
        project = self.session.prefix / ("project-" + name)
        project.mkdir()
        (project / "project.orv").write_text(HEADER.format(setup=SETUP, product=PRODUCT, revision=revision) + script)
        shutil.copy(self.package, project / "package.msi")
        folder = self.session.drive_c / name
        subprocess.run([self.orvanta, "build", str(project), "-o", str(folder), "--engine-dir", str(self.win32)],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return folder / (SETUP + ".exe")

    def run_for(self, exe, report, *args):
        """Runs the setup and returns the lines of the report it wrote."""
        path = self.session.temp / report
        path.unlink(missing_ok=True)
        equal(self.session.run(exe, *args, timeout=180), 0, f"exit code of {exe.name} {' '.join(args)}")
        return path.read_bytes().decode("latin-1").splitlines()

    def state(self, exe):
        lines = self.run_for(exe, "state.txt", "/s")
        equal(len(lines), 1, "one state line")
        return lines[0].split("|")

    def instance_folder(self, revision):
        # All-users application data: the parent of the common desktop + "Application Data\".
        return self.session.drive_c / "users" / "Public" / "Application Data" / revision


def product_state(s):
    """MAINTENANCE, NEEDSUPGRADE, NEWINSTANCE and the components against the installed product."""
    setup = s.build("same", STATE_SCRIPT)
    instance = s.instance_folder(REVISION)
    instance.mkdir(parents=True)
    (instance / (SETUP + ".dat")).write_bytes(SAVED_COMPONENTS.encode("latin-1"))

    equal(s.state(setup), ["FALSE", "FALSE", "FALSE", "TRUE", "FALSE", "FALSE"],
          "not installed: no maintenance, only the reserved component")

    install = s.session.wine("msiexec", "/i", s.session.windows_path(s.package), "/qn", timeout=180)
    equal(install.returncode, 0, "msiexec installs the product")
    equal(s.state(setup), ["TRUE", "FALSE", "TRUE", "TRUE", "TRUE", "FALSE"],
          "installed with the same package code: maintenance with the saved components")

    # The user's own instance, when it has a component file, comes before the all-users one.
    user = s.session.drive_c / "users" / s.session.env.get("USER", "root") / "Application Data" / REVISION
    user.mkdir(parents=True)
    (user / (SETUP + ".dat")).write_bytes(SAVED_COMPONENTS.replace("TRUE\r\nFALSE", "FALSE\r\nTRUE").encode())
    equal(s.state(setup)[3:], ["TRUE", "FALSE", "TRUE"], "the per-user component file")
    shutil.rmtree(user)

    lower = s.build("lower", STATE_SCRIPT, revision=REVISION.lower())
    equal(s.state(lower)[:3], ["TRUE", "FALSE", "TRUE"], "the package code compares without regard to case")

    (setup.parent / "instance.dat").write_text(f"{PRODUCT}\r\n{REVISION}\r\nSession Start Test\r\n")
    equal(s.state(setup), ["TRUE", "FALSE", "FALSE", "TRUE", "TRUE", "FALSE"],
          "with instance.dat beside the engine NEWINSTANCE stays FALSE")

    upgrade = s.build("other", STATE_SCRIPT, revision=OTHER_REVISION)
    equal(s.state(upgrade), ["FALSE", "TRUE", "TRUE", "TRUE", "FALSE", "FALSE"],
          "installed with another package code: an upgrade, not maintenance")
    (upgrade.parent / "instance.dat").write_text(f"{PRODUCT}\r\n{OTHER_REVISION}\r\nSession Start Test\r\n")
    equal(s.state(upgrade)[:3], ["FALSE", "TRUE", "FALSE"], "an upgrade with instance.dat: NEWINSTANCE stays FALSE")


def command_line(s):
    """A NAME=value pair exists from the start; only an interactive run lets the script change it."""
    setup = s.build("values", COMMAND_LINE_SCRIPT)
    equal(s.run_for(setup, "values.txt", "FROMCMD=given", "onlycmd=extra", "/s"), ["given extra", "given"],
          "silent run: the command-line value wins over Set Variable")
    equal(s.run_for(setup, "values.txt", "FROMCMD=given", "ONLYCMD=extra"), ["given extra", "from the script"],
          "interactive run: Set Variable changes the command-line value")


def resume_entries(s):
    """The resume entries of an interrupted run go at the next start, for the user and the machine."""
    setup = s.build("resume", RESUME_SCRIPT)
    run_key = r"SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
    entry = PRODUCT[1:9]
    for root in ("HKCU", "HKLM"):
        s.session.reg_add(root + "\\" + run_key, entry, s.session.windows_path(setup))
        s.session.reg_add(root + "\\" + run_key, "Unrelated", "C:\\unrelated.exe")
    equal(s.run_for(setup, "ran.txt", "/s"), ["ran"], "the script runs")
    for root in ("HKCU", "HKLM"):
        equal(s.session.reg_query(root + "\\" + run_key, entry), None, root + " resume entry after the run")
        equal(s.session.reg_query(root + "\\" + run_key, "Unrelated"), "C:\\unrelated.exe",
              root + " other entries stay")


SCENARIOS = {f.__name__: f for f in (product_state, command_line, resume_entries)}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--win32-dir", required=True)
    parser.add_argument("--work-dir", required=True)
    parser.add_argument("--orvanta", required=True)
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    args = parser.parse_args()
    win32 = Path(args.win32_dir)
    for needed in ("kebstub.exe", "keb.dll"):
        if not (win32 / needed).exists():
            print(f"SKIP: {win32 / needed} is missing; build the win32 preset first")
            return 77
    for tool in ("7zz", "wixl", "msibuild", "msiinfo"):
        if not shutil.which(tool):
            print(f"SKIP: {tool} is missing")
            return 77
    work = Path(args.work_dir)
    template = winehost.build_template(work / "template")
    started = time.monotonic()
    with winehost.WineSession(template, work, "session-" + args.scenario, work / "artifacts") as session:
        SCENARIOS[args.scenario](Scenario(session, win32, args.orvanta))
    print(f"{args.scenario}: passed in {time.monotonic() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
