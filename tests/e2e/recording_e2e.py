"""End-to-end scenarios of the recording commands whose rows `orvanta build`
authors beyond files, registry, shortcuts, INI and environment: a silent
setup installs with Wine's msi.dll, the uninstall entry removes it again, and
a run with the commands' condition false installs nothing of them.

usage: recording_e2e.py --builds DIR --work-dir DIR --orvanta PATH SCENARIO
Exit code 77 means skipped.
"""

import re
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import scenario  # noqa: E402
from apply_e2e import default_value  # noqa: E402
from scenario import check, equal  # noqa: E402

PRODUCT = "{5B7D9F13-2C4E-4A6B-8D0F-1A3C5E7B9D2F}"
REVISION = "{6C8EA024-3D5F-4B7C-9E1A-2B4D6F8A0C3E}"
TITLE = "Recording Test"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall" + "\\" + TITLE
SERVICES = r"HKLM\System\CurrentControlSet\Services"

SKELETON = f"""<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="{PRODUCT}" Name="{TITLE}" Language="1033" Version="1.0.0" Manufacturer="Orvanta Tests"
           UpgradeCode="{{7D9FB135-4E6A-4C8D-8F2B-3C5E7A9B1D4F}}">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine" />
    <Media Id="1" Cabinet="recording.cab" EmbedCab="yes" />
    <Directory Id="TARGETDIR" Name="SourceDir" />
  </Product>
</Wix>
"""

# Removal through the uninstall entry first; then the commands under test,
# guarded by WITH (a silent run's WITH=FALSE on the command line wins).
SCRIPT = """If
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
Set Variable
  | WITH
  | TRUE
If
  | WITH
  | 0
  | TRUE
  | FALSE
%s
End
Apply Changes
  | progress
  | RESULT
  | TRUE
  | FALSE
Write to Text File
  | $TEMPDIR$recording.txt
  | $RESULT$ $LASTERROR$
  | FALSE
"""


def command(name, *parameters):
    return "\n".join([name] + ["  | " + p if p else "  |" for p in parameters])


class Scenario(scenario.Scenario):
    def __init__(self, session, engine, orvanta, work):
        super().__init__(session, engine, orvanta, work)
        self.target = session.drive_c / "Program Files" / TITLE

    def build(self, commands, files=(), texts=None):
        """texts: the msgid/msgstr pairs of a German translation."""
        project_files = {"product.wxs": SKELETON, **{name: "not a real program\n" for name in files}}
        values = ""
        if texts:
            values = "DefaultLanguage = English\nTranslations = translations\n"
            project_files["translations/German.txt"] = "".join(f'msgid "{english}"\nmsgstr "{german}"\n'
                                                               for english, german in texts.items())
        header = scenario.project_header("recording", TITLE, PRODUCT, REVISION, package="product.wxs", values=values)
        self.orvanta_build(self.project("recording", header + SCRIPT % "\n".join(commands), project_files))

    def install(self, *arguments):
        (self.session.temp / "recording.txt").unlink(missing_ok=True)
        equal(self.session.run(self.folder / "recording.exe", "/s", *arguments, timeout=240), 0, "exit code of the setup")
        equal(self.report("recording.txt"), ["COMPLETE "], "the setup's result")

    def remove(self):
        entry = self.session.reg_query(UNINSTALL_KEY, "UninstallString")
        check(entry, "the uninstall entry")
        program, arguments = entry[1:].split('" ', 1)
        equal(self.session.wine(program, *arguments.split(), "/s", timeout=240).returncode, 0, "exit code of the removal")
        equal(self.session.reg_query(UNINSTALL_KEY), None, "the uninstall entry after the removal")

    def windows(self, path):
        return self.session.windows_path(path)


def lifecycle(s, installed, removed, nothing):
    """Install, check, remove, check, install with the condition false, check."""
    s.install()
    installed()
    s.remove()
    removed()
    s.install("WITH=FALSE")
    nothing()


def services(s):
    """Install Service writes the service entry; Control Service removes another service."""
    s.session.wine("sc", "create", "OrvDoomed", "binPath=", "C:\\windows\\doomed.exe", check=True)
    s.build([command("Install Service", "orvsvc.exe", "$TARGETDIR$bin\\", "own", "OrvTestService", "Orvanta Test Service",
                     "A service installed by a test", "demand", "normal", "", "", "", "stop, remove", "-quiet", "", ""),
             command("Control Service", "OrvDoomed", "", "stop, remove", "", "TRUE")],
            files=["orvsvc.exe"])
    service = SERVICES + "\\OrvTestService"

    def installed():
        image = s.windows(s.target / "bin" / "orvsvc.exe")
        check((s.target / "bin" / "orvsvc.exe").is_file(), "the service's program")
        equal(s.session.reg_query(service, "Start"), "0x3", "the start type (demand)")
        equal(s.session.reg_query(service, "ImagePath"), image + " -quiet", "the image path with the arguments")
        equal(s.session.reg_query(service, "DisplayName"), "Orvanta Test Service", "the display name")
        equal(s.session.reg_query(service, "Type"), "0x10", "the service type")
        equal(s.session.reg_query(SERVICES + "\\OrvDoomed"), None, "the service that Control Service removes")

    def removed():
        equal(s.session.reg_query(service), None, "the service entry after the removal")
        check(not (s.target / "bin" / "orvsvc.exe").exists(), "the service's program after the removal")

    def nothing():
        equal(s.session.reg_query(service), None, "no service with the condition false")
        check(s.session.reg_query(SERVICES + "\\OrvDoomed"), "the other service stays with the condition false")

    s.install()
    installed()
    s.remove()
    removed()
    s.session.wine("sc", "create", "OrvDoomed", "binPath=", "C:\\windows\\doomed.exe", check=True)
    s.install("WITH=FALSE")
    nothing()


def file_types(s):
    """Create File Type registers the extension, its type and the verb's command."""
    s.build([command("Create File Type", "OrvTest.Document", "orvt", "Orvanta test document",
                     "$TARGETDIR$viewer.exe", '"%1"', "open")])
    classes = r"HKLM\Software\Classes"

    def installed():
        equal(default_value(s.session, classes + r"\.orvt"), "OrvTest.Document", "the extension's file type")
        equal(default_value(s.session, r"HKCR\.orvt"), "OrvTest.Document", "the extension under HKCR")
        equal(default_value(s.session, classes + r"\OrvTest.Document"), "Orvanta test document", "the description")
        equal(default_value(s.session, classes + r"\OrvTest.Document\shell\open\command"),
              '"' + s.windows(s.target / "viewer.exe") + '" "%1"', "the verb's command")

    def removed():
        for key in (r"\.orvt", r"\OrvTest.Document"):
            equal(s.session.reg_query(classes + key), None, key + " after the removal")

    lifecycle(s, installed, removed, removed)


def translated_texts(s):
    """With a language active, the file type's and the service's translated texts land in their rows."""
    s.build([command("Create File Type", "OrvTest.Document", "orvt", "Orvanta test document", "$TARGETDIR$viewer.exe",
                     '"%1"', "open"),
             command("Install Service", "orvsvc.exe", "$TARGETDIR$", "own", "OrvTestService", "Orvanta Test Service",
                     "A test service", "demand", "normal", "", "", "", "remove", "", "", "")],
            files=["orvsvc.exe"],
            texts={"Orvanta test document": "Orvanta-Testdokument", "Orvanta Test Service": "Orvanta-Testdienst"})
    s.install("LANGUAGE=German")
    equal(default_value(s.session, r"HKLM\Software\Classes\OrvTest.Document"), "Orvanta-Testdokument",
          "the translated file type description")
    equal(s.session.reg_query(SERVICES + "\\OrvTestService", "DisplayName"), "Orvanta-Testdienst",
          "the translated display name")


def local_files(s):
    """Copy/Move Local Files moves matching files; Delete Files deletes others
    when installing or when removing. Wine's msi.dll takes a RemoveFile name
    literally (no wildcards): plain names here, a pattern in the host test."""
    data = s.session.drive_c / "orvdata"

    def prepare():
        data.mkdir(exist_ok=True)
        for name in ("a.log", "b.log", "keep.txt", "x.tmp", "y.tmp"):
            (data / name).write_text(name)

    prepare()
    s.build([command("Copy/Move Local Files", "C:\\orvdata\\", "*.log", "$TARGETDIR$moved\\", "", "TRUE"),
             command("Delete Files", "C:\\orvdata\\", "x.tmp", "TRUE", "FALSE"),
             command("Delete Files", "C:\\orvdata\\", "y.tmp", "FALSE", "TRUE")])
    moved = s.target / "moved"

    def installed():
        equal(sorted(p.name for p in data.iterdir()), ["keep.txt", "y.tmp"], "what is left in the source folder")
        equal(sorted(p.name for p in moved.iterdir()), ["a.log", "b.log"], "the moved files")
        equal((moved / "a.log").read_text(), "a.log", "a moved file's content")

    def removed():
        # The removal deletes y.tmp; the deleted x.tmp does not come back.
        equal(sorted(p.name for p in data.iterdir()), ["keep.txt"], "the source folder after the removal")
        # Wine's msi.dll leaves the files it moved in from outside the package.
        equal(sorted(p.name for p in moved.iterdir()), ["a.log", "b.log"], "the moved files after the removal")

    def nothing():
        equal(sorted(p.name for p in data.iterdir()), ["a.log", "b.log", "keep.txt", "x.tmp", "y.tmp"],
              "the source folder with the condition false")

    s.install()
    installed()
    s.remove()
    removed()
    prepare()
    s.install("WITH=FALSE")
    nothing()


def odbc(s):
    """Install ODBC Driver registers the driver. Wine's msi.dll writes no
    driver attributes, and a data source needs a driver whose setup library
    configures it: both are checked in the built package on the host."""
    s.build([command("Install ODBC Driver", "Orvanta Test Driver", "orvodbc.dll", "", "$TARGETDIR$odbc\\",
                     "APILevel=1;DriverODBCVer=03.50")],
            files=["orvodbc.dll"])
    driver = r"HKLM\Software\ODBC\ODBCINST.INI\Orvanta Test Driver"

    def installed():
        equal(s.session.reg_query(driver, "Driver"), s.windows(s.target / "odbc" / "orvodbc.dll"), "the driver library")
        equal(s.session.reg_query(driver, "Setup"), s.windows(s.target / "odbc" / "orvodbc.dll"),
              "the setup library (the driver library when none is named)")
        drivers = s.session.reg_query(r"HKLM\Software\ODBC\ODBCINST.INI\ODBC Drivers") or ""
        check(re.search(r"^\s*Orvanta Test Driver\s+REG_SZ\s+Installed\s*$", drivers, re.M),
              "the driver in the list of drivers: " + drivers)

    def removed():
        equal(s.session.reg_query(driver), None, "the driver after the removal")

    lifecycle(s, installed, removed, removed)


def advertised(s):
    """Advertised File Type and Advertised Shortcut: the program, its file type and its shortcut."""
    s.build([command("Advertised File Type", "OrvAdv.Document", "orva", "Orvanta advertised document", "viewer.exe",
                     "open", '"%1"', "Orvanta Viewer"),
             command("Advertised Shortcut", "tool.exe", "Orvanta Tool", "$TARGETDIR$links\\", "Starts the tool",
                     "-x", "$TARGETDIR$")],
            files=["viewer.exe", "tool.exe"])
    classes = r"HKLM\Software\Classes"
    link = s.target / "links" / "Orvanta Tool.lnk"
    viewer = s.session.drive_c / "Program Files" / "Orvanta Viewer" / "viewer.exe"

    def installed():
        check(viewer.is_file() and (s.target / "tool.exe").is_file(), "the programs")
        equal(default_value(s.session, classes + r"\.orva"), "OrvAdv.Document", "the extension's file type")
        equal(default_value(s.session, classes + r"\OrvAdv.Document"), "Orvanta advertised document", "the description")
        command_line = default_value(s.session, classes + r"\OrvAdv.Document\shell\open\command") or ""
        check(s.windows(viewer) in command_line and command_line.endswith('"%1"'),
              "the verb's command: " + command_line)
        check(link.is_file(), "the advertised shortcut")

    def removed():
        for key in (r"\.orva", r"\OrvAdv.Document"):
            equal(s.session.reg_query(classes + key), None, key + " after the removal")
        check(not link.exists(), "the shortcut after the removal")
        check(not viewer.exists() and not (s.target / "tool.exe").exists(), "the programs after the removal")

    lifecycle(s, installed, removed, removed)


def assembly(s):
    """Install Assembly: a private assembly's file in its folder."""
    s.build([command("Install Assembly", "Orv.Private.dll", "FALSE", "$TARGETDIR$lib\\", "Orv.Private", "1.0.0.0")],
            files=["Orv.Private.dll"])
    library = s.target / "lib" / "Orv.Private.dll"
    lifecycle(s, lambda: check(library.is_file(), "the assembly's file"),
              lambda: check(not library.exists(), "the assembly's file after the removal"),
              lambda: check(not library.exists(), "no assembly with the condition false"))


def start_menu_shortcut(s):
    """The guide's Start-menu shortcut: Get Folder Location by name, the shortcut in the product's folder there."""
    s.build([command("Install Files", "tool.exe", "", "$TARGETDIR$"),
             command("Get Folder Location", "PROGRAMSMENU", "programs", "TRUE"),
             command("Create Shortcut", "$TARGETDIR$tool.exe", "Orvanta Tool", "$PROGRAMSMENU$$STARTMENU$",
                     "Starts the tool", "", "$TARGETDIR$")],
            files=["tool.exe"])
    programs = s.session.drive_c / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / "Programs"
    link = programs / TITLE / "Orvanta Tool.lnk"

    def installed():
        check(link.is_file(), "the shortcut in the Programs folder of the Start menu: " +
              ", ".join(str(p.relative_to(s.session.drive_c)) for p in s.session.drive_c.rglob("Orvanta Tool.lnk")))

    def removed():
        check(not link.exists(), "the shortcut after the removal")

    lifecycle(s, installed, removed, removed)


SCENARIOS = {f.__name__: f for f in (services, file_types, translated_texts, local_files, odbc, advertised, assembly,
                                     start_menu_shortcut)}


if __name__ == "__main__":
    sys.exit(scenario.main("recording", SCENARIOS, Scenario,
                           tools=("7zz", "wixl", "msibuild", "msiinfo"), timeout=600))
