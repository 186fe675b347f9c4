"""End-to-end scenarios of the session start under Wine: the state of an
earlier installation (made real with msiexec), the instance files, the
command-line values and the resume entries.

usage: session_e2e.py --builds DIR --work-dir DIR --orvanta PATH SCENARIO
Each script writes what it checks to a text file in TEMP. Exit code 77 means skipped.
"""

import shutil
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import msipackages  # noqa: E402
import scenario  # noqa: E402
from scenario import equal  # noqa: E402

PRODUCT = "{8C1E3A5F-7B9D-4E2A-9C4E-6A8B0C2D4E6F}"
REVISION = "{9D2F4B60-8CAE-4F3B-8D5F-7B9C1D3E5F70}"
OTHER_REVISION = "{AE306C71-9DBF-4A4C-9E60-8CAD2E4F6081}"
SETUP = "state"

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


def build_package(folder, package_code, arch):
    """The product as a package of its own, with a chosen package code."""
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "marker.txt").write_text("installed\n")
    wxs = msipackages.product_wxs(PRODUCT, "Session Start Test", "{BF417D82-AEC0-4B5D-8F71-9DBE3F5A7192}", "state.cab",
                                  "SessionStartTest", files=[("{C0528E93-BFD1-4C6E-9082-AECF406B82A3}", "marker.txt")],
                                  arch=arch)
    package = msipackages.build_msi(folder, wxs, "package.msi", package_code, arch=arch)
    equal(msipackages.package_code(package), package_code, "the package code of the test package")
    return package


class Scenario(scenario.Scenario):
    def __init__(self, session, engine, orvanta, work):
        super().__init__(session, engine, orvanta, work)
        self.package = build_package(session.prefix / "package", REVISION, session.path.arch)

    def build(self, name, script, revision=REVISION):
        """A setup in C:\\<name>\\ whose package is the test package."""
        header = scenario.project_header(SETUP, "Session Start Test", PRODUCT, revision, package="package.msi")
        project = self.project(name, header + script, {"package.msi": self.package})
        return self.orvanta_build(project, self.session.drive_c / name) / (SETUP + ".exe")

    def run_for(self, exe, report, *args):
        """Runs the setup and returns the lines of the report it wrote."""
        (self.session.temp / report).unlink(missing_ok=True)
        equal(self.session.run(exe, *args, timeout=180), 0, f"exit code of {exe.name} {' '.join(args)}")
        return self.report(report)

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


if __name__ == "__main__":
    sys.exit(scenario.main("session", SCENARIOS, Scenario,
                           tools=("7zz", "wixl", "msibuild", "msiinfo")))
