"""End-to-end scenarios of the commands that start other code under Wine:
plug-in libraries, programs, light-mode setups, COM registration and 7z
extraction.

usage: programs_e2e.py --builds DIR --work-dir DIR --orvanta PATH SCENARIO
Each scenario builds a setup with `orvanta build` and runs it in a fresh
copy of the template prefix. Exit code 77 means skipped.
"""

import shutil
import struct
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import scenario  # noqa: E402
import setupfiles  # noqa: E402
from dialogs_e2e import FORMS  # noqa: E402
from scenario import check, equal  # noqa: E402

HEADER = dict(title="Programs Test", product_code="{7A2C4E6B-1D3F-4B5A-8C9D-2E4F6A8B0C1D}",
              revision_code="{8B3D5F7C-2E4A-4C6B-9D0E-3F5A7B9C1D2E}")

# The sample plug-in changes, adds and removes variables and reports
# progress; a failing call (also one that fails only on the buffer call) and
# a raising call change nothing; a missing library
# shows its box and the script goes on. A variable that does not exist
# stays "$NAME$" in a text.
PLUGIN_SCRIPT = """
PluginLibrary = sampleplugin.dll
PluginCommand = Sample Action
PluginCommand = Missing Action

[script]
Set Variable
  | CHANGED
  | before
Set Variable
  | DROPPED
  | soon gone
Sample Action
  | set CHANGED=after;set ADDED=new value;remove DROPPED;progress 3
  | sample.plg\\sampleplugin.dll
Sample Action
  | set CHANGED=by a failing call;fail
  | sample.plg\\sampleplugin.dll
Sample Action
  | set CHANGED=by a failing copy;fail copy
  | sample.plg\\sampleplugin.dll
Sample Action
  | set CHANGED=by a raising call;raise
  | sample.plg\\sampleplugin.dll
Missing Action
  |
  | missing.plg\\missing.dll
Write to Text File
  | $TEMPDIR$plugin.txt
  | $CHANGED$|$ADDED$|$DROPPED$|$PLUGINCANCELLED$
  | FALSE
"""

# An archive without entries: the start header alone.
EMPTY_7Z = bytes.fromhex("377abcaf271c00048d9bd50f") + bytes(20)

# A long plug-in call under a modeless progress dialog, which the user cancels.
PLUGIN_CANCEL_SCRIPT = """
PluginLibrary = sampleplugin.dll
PluginCommand = Sample Action
Support = support

[script]
Display Dialog
  | progress
  | R
  | FALSE
  |
  | TRUE
  | FALSE
Sample Action
  | progress 300
  | sample.plg\\sampleplugin.dll
Write to Text File
  | $TEMPDIR$cancel.txt
  | $PLUGINCANCELLED$
  | FALSE
"""

# A long extraction under a modeless progress dialog, which the user cancels.
EXTRACT_CANCEL_SCRIPT = """
Support = support

[script]
Set Variable
  | PROGRESSTEXT
  | Unpacking many files
Display Dialog
  | progress
  | R
  | FALSE
  |
  | TRUE
  | FALSE
Extract 7Zip Archive
  | C:\\archives\\many.7z
  | C:\\out\\many
  | RESULT
  |
  | TRUE
  | TRUE
Write to Text File
  | $TEMPDIR$extract.txt
  | $RESULT$
  | FALSE
"""

# The plug-in's folder travels in a web media block (its archive beside the
# setup, so nothing is downloaded); the command fetches the block first.
PLUGIN_BLOCK_SCRIPT = """
MediaMode = 2
WebMedia = Plugins | pluginblock
PluginCommand = Sample Action

[script]
Web Media Block
  | Plugins
  | http://127.0.0.1:9/Plugins.7zip
  |
Sample Action @ media=Plugins\\
  | set FROMBLOCK=yes
  | sample.plg\\sampleplugin.dll
Write to Text File
  | $TEMPDIR$block.txt
  | $FROMBLOCK$
  | FALSE
"""

MISSING_TEXT = ("Unable to load plug-in library. Please rebuild your project and make sure all required plug-ins "
                "are installed.Action skipped")

# Starts the exit-code helper: waited for, hidden, not waited for, missing;
# then as the engine's own user with a working folder and an environment,
# and as a user that cannot log on.
PROGRAM_SCRIPT = """
[script]
Run Program
  | C:\\helpers\\exitcode.exe
  | FALSE
  | 3000000000
  | TRUE
  | WAITED
Run Program
  | C:\\helpers\\exitcode.exe
  | TRUE
  | 7 C:\\hidden.txt
  | TRUE
  | HIDDEN
Run Program
  | C:\\helpers\\exitcode.exe
  | FALSE
  | 5 C:\\running.txt 4000
  | FALSE
  | RUNNING
Run Program
  | C:\\helpers\\nothing-here.exe
  | FALSE
  |
  | TRUE
  | MISSING
Run Program As
  | C:\\helpers\\exitcode.exe
  | C:\\work
  | 9 C:\\as.txt
  | 1
  |
  |
  |
  | ASCODE
  | TRUE
  | ORVANTA_SAMPLE=given by the script$NEWLINE$SystemRoot=C:\\windows
Run Program As
  | C:\\helpers\\exitcode.exe
  | C:\\work
  | 9 C:\\inherited.txt
  | 0
  |
  |
  |
  | INHERITED
  | TRUE
  |
Run Program As
  | C:\\helpers\\exitcode.exe
  | C:\\work
  | 3
  | 0
  | nobody-here
  | wrong
  | NOWHERE
  | NOUSER
  | TRUE
  |
Write to Text File
  | $TEMPDIR$codes.txt
  | $WAITED$|$HIDDEN$|$RUNNING$|$MISSING$|$ASCODE$|$INHERITED$|$NOUSER$
  | FALSE
"""


# Extracts a plain archive, then an archive with encrypted names with a
# wrong and with the right password.
EXTRACT_SCRIPT = """
[script]
Set Variable
  | PROGRESSTEXT
  | Unpacking
Extract 7Zip Archive
  | C:\\archives\\plain.7z
  | C:\\out\\plain\\deeper
  | PLAIN
  |
  | TRUE
  | TRUE
Extract 7Zip Archive
  | C:\\archives\\secret.7z
  | C:\\out\\wrong
  | WRONG
  | not the password
  | TRUE
  | TRUE
Extract 7Zip Archive
  | C:\\archives\\secret.7z
  | C:\\out\\right
  | RIGHT
  | Right Password
  | TRUE
  | TRUE
Write to Text File
  | $TEMPDIR$extract.txt
  | $PLAIN$|$WRONG$|$RIGHT$
  | FALSE
"""

# Registers the test COM server (or, with FALSE, unregisters it), tries a
# missing type library and starts a server program.
REGISTER_SCRIPT = """
[script]
Register Library
  | C:\\com\\comserver.dll
  | {mode}
  | SERVER
Register Library
  | C:\\com\\missing.tlb
  | TRUE
  | TYPELIB
Register Library
  | C:\\helpers\\exitcode.exe
  | TRUE
  | PROGRAM
Write to Text File
  | $TEMPDIR$register.txt
  | $SERVER$|$TYPELIB$|$PROGRAM$
  | FALSE
"""

# Runs a compiled script file as a setup: one that works, one that fails
# with 1603, and a file that does not exist; one beside another setup's
# keb.dll; one not waited for, still running when the script ends; one left
# behind by a run cut off while its setup ran, and one whose ".nox" is
# somebody else's.
LIGHT_RUNS = [("C:\\light\\child.exe", "GOOD", "TRUE"), ("C:\\broken\\child.exe", "BROKEN", "TRUE"),
              ("C:\\nowhere\\child.exe", "NOFILE", "TRUE"), ("C:\\shared\\child.exe", "SHARED", "TRUE"),
              ("C:\\later\\child.exe", "LATER", "FALSE"), ("C:\\leftover\\child.exe", "LEFTOVER", "TRUE"),
              ("C:\\foreign\\child.exe", "FOREIGN", "TRUE")]
LIGHT_SCRIPT = ("\n[script]\n"
                + "".join(f"Run Light Mode Setup\n  | {path}\n  | {name}\n  | /s\n  | {wait}\n"
                          for path, name, wait in LIGHT_RUNS)
                + "Write to Text File\n  | $TEMPDIR$light.txt\n  | "
                + "|".join(f"${name}$" for _, name, _ in LIGHT_RUNS) + "\n  | FALSE\n")

CHILD_COMMANDS = [("Write to Text File", "{5A1E0C21-7D53-4C3B-9D1E-0A4F6B2C1E10}",
                   ["$TEMPDIR$child.txt", "the child setup ran", "FALSE"], False)]
FAILING_CHILD_COMMANDS = [("Terminate with Exit Code", "{5A1E0C21-7D53-4C3B-9D1E-0A4F6B2C1E11}", ["1603"], False)]
# A child setup that outlasts the script that started it.
SLOW_CHILD_COMMANDS = [("Run Program", "{5A1E0C21-7D53-4C3B-9D1E-0A4F6B2C1E12}",
                        ["C:\\helpers\\exitcode.exe", "FALSE", "0 C:\\later-ran.txt 5000", "TRUE", "SLEPT"],
                        False)]


def image_of(exe):
    """A PE program's bytes up to the end of its last section: the engine without what is appended."""
    data = exe.read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional_size
    return data[:max(sum(struct.unpack_from("<II", data, table + 40 * i + 16)) for i in range(sections))]

class Scenario(scenario.Scenario):
    def __init__(self, session, engine, orvanta, work):
        super().__init__(session, engine, orvanta, work)
        self.folder.mkdir()
        helpers = session.drive_c / "helpers"
        helpers.mkdir()
        shutil.copy(self.engine / "exitcode.exe", helpers)

    def build(self, name, text, files=None):
        """Builds the setup from the project values and script in text; files: name -> source path or text."""
        values, script = text.split("[script]\n", 1)
        header = scenario.project_header(name, **HEADER, media_mode=None if "MediaMode" in values else "1",
                                         values=values)
        project = self.project(name, header + script, {**(files or {}), "product.msi": b"installer database"})
        return self.orvanta_build(project) / (name + ".exe")

    def text(self, name):
        return (self.session.temp / name).read_bytes().decode("latin-1").rstrip("\r\n")


def plugins(s):
    exe = s.build("plugins", PLUGIN_SCRIPT, {"sampleplugin.dll": s.engine / "sampleplugin.dll"})
    process = s.session.start(exe)
    equal(s.ui.message_box("Orvanta", timeout_ms=60000), MISSING_TEXT, "the missing library's box")
    s.session.screenshot("plugin-missing.png")
    check(s.ui.click("Orvanta", "OK"), "OK on the missing library's box")
    equal(s.session.finish(process, timeout=60), 0, "exit code")
    equal(s.text("plugin.txt"), "after|new value|$DROPPED$|$PLUGINCANCELLED$",
          "changed, added and removed by the plug-in; unchanged by the failing calls and the raising call; "
          "not cancelled")


def plugin_cancel(s):
    """The plug-in's progress shows in the modeless dialog; Cancel there reaches its callback as "stop"."""
    exe = s.build("cancel", PLUGIN_CANCEL_SCRIPT, {"sampleplugin.dll": s.engine / "sampleplugin.dll",
                                                   "support/progress.dfm": FORMS["progress"],
                                                   "support/progress.dfm.kebf": ""})
    process = s.session.start(exe)
    check(s.ui.wait("Progress Page", timeout_ms=60000), "the progress page appears")
    status = []
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline and not status:
        status = [text for _, _, text in s.ui.controls("Progress Page") if text.startswith("Sample plug-in: step")]
        time.sleep(0.3)
    check(status, "the plug-in's status text in the dialog")
    bars = s.ui.progress("Progress Page")
    check(bars and bars[0][2] > 0, f"the bar follows the plug-in: {bars}")
    s.session.screenshot("plugin-progress.png")
    check(s.ui.click("Progress Page", "Cancel"), "Cancel")
    equal(s.ui.message_box("Orvanta"), "Are you sure you want to cancel?", "the question")
    check(s.ui.click("Orvanta", "#6"), "Yes")
    s.session.finish(process, timeout=60)
    equal(s.text("cancel.txt"), "TRUE", "the plug-in saw the cancel and said so")


def plugin_in_block(s):
    """A plug-in library in a web media block is loaded from the block's folder once the block is fetched."""
    exe = s.build("pluginblock", PLUGIN_BLOCK_SCRIPT,
                  {"pluginblock/sample.plg/sampleplugin.dll": s.engine / "sampleplugin.dll"})
    equal(s.session.run(exe, "/s", timeout=120), 0, "exit code")
    equal(s.text("block.txt"), "yes", "the variable the plug-in from the block set")


def programs(s):
    exe = s.build("programs", PROGRAM_SCRIPT)
    (s.session.drive_c / "work").mkdir()
    equal(s.session.run(exe, "/s", timeout=120), 0, "exit code")
    waited, hidden, running, missing, as_code, inherited, no_user = s.text("codes.txt").split("|")
    equal(waited, "-1294967296", "the full 32-bit exit code, signed")
    equal(hidden, "7", "a hidden program's exit code")
    equal(running, "259", "a program still running when not waited for")
    equal(missing, "-11", "a program that cannot start")
    equal(as_code, "9", "a plain start as the engine's user")
    check((s.session.drive_c / "hidden.txt").exists(), "the hidden program ran")
    check((s.session.drive_c / "running.txt").exists(), "the program not waited for ran")
    report = (s.session.drive_c / "as.txt").read_bytes().decode("latin-1").split("\r\n")
    equal(report[0].lower(), "c:\\work", "the working folder given")
    check("ORVANTA_SAMPLE=given by the script" in report, f"the environment given: {report}")
    check(not any(line.upper().startswith("TEMP=") for line in report), f"only the environment given: {report}")
    inherited_report = (s.session.drive_c / "inherited.txt").read_bytes().decode("latin-1").split("\r\n")
    check(any(line.upper().startswith("TEMP=") for line in inherited_report),
          f"an empty environment inherits the engine's: {inherited_report}")
    equal(inherited, "9", "the exit code with the inherited environment")
    print("a user that cannot log on gives", no_user)
    check(int(no_user) in (-2, -3, -4, -5, -9, -10), f"a negative outcome code: {no_user}")


def extract_archive(s):
    source = s.session.prefix / "archive-source"
    (source / "sub").mkdir(parents=True)
    (source / "a.txt").write_text("first file")
    (source / "sub" / "b.txt").write_text("second file" * 1000)
    archives = s.session.drive_c / "archives"
    archives.mkdir()
    for name, extra in (("plain.7z", []), ("secret.7z", ["-pRight Password", "-mhe=on"])):
        subprocess.run(["7zz", "a", "-t7z", "-bd", *extra, str(archives / name), "."], cwd=source, check=True,
                       stdout=subprocess.DEVNULL)
    exe = s.build("extract", EXTRACT_SCRIPT)
    equal(s.session.run(exe, "/s", timeout=120), 0, "exit code")
    plain, wrong, right = s.text("extract.txt").split("|")
    equal((plain, right), ("SUCCESS", "SUCCESS"), "extractions")
    equal(wrong, "The archive cannot be opened: unsupported archive or incorrect password", "a wrong password")
    for folder in ("plain/deeper", "right"):
        out = s.session.drive_c / "out" / folder
        equal((out / "a.txt").read_text(), "first file", f"a.txt in {folder}")
        equal((out / "sub" / "b.txt").read_text(), "second file" * 1000, f"sub/b.txt in {folder}")
    check(not (s.session.drive_c / "out" / "wrong" / "a.txt").exists(), "nothing extracted with a wrong password")


def extract_cancel(s):
    """Cancel in the progress dialog stops an extraction: the outcome is the archive library's error text."""
    source = s.session.prefix / "many-source"
    source.mkdir()
    count = 6000
    for n in range(count):
        (source / f"file{n:05}.txt").write_text(f"file {n} " * 200)
    archives = s.session.drive_c / "archives"
    archives.mkdir()
    subprocess.run(["7zz", "a", "-t7z", "-bd", str(archives / "many.7z"), "."], cwd=source, check=True,
                   stdout=subprocess.DEVNULL)
    exe = s.build("extractcancel", EXTRACT_CANCEL_SCRIPT, {"support/progress.dfm": FORMS["progress"],
                                                          "support/progress.dfm.kebf": ""})
    process = s.session.start(exe)
    check(s.ui.wait("Progress Page", timeout_ms=60000), "the progress page appears")
    status = []
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline and not status:
        status = [text for _, _, text in s.ui.controls("Progress Page") if "% complete" in text]
        time.sleep(0.1)
    check(status and status[0].startswith("Unpacking many files"), f"the extraction's status: {status}")
    s.session.screenshot("extract-progress.png")
    check(s.ui.click("Progress Page", "Cancel"), "Cancel")
    equal(s.ui.message_box("Orvanta"), "Are you sure you want to cancel?", "the question")
    check(s.ui.click("Orvanta", "#6"), "Yes")
    s.session.finish(process, timeout=120)
    result = s.text("extract.txt")
    check(result and result != "SUCCESS", f"a cancelled extraction's outcome: {result!r}")
    extracted = len(list((s.session.drive_c / "out" / "many").glob("*.txt")))
    check(extracted < count, f"the extraction stopped early: {extracted} of {count} files")
    print("cancelled extraction:", result, extracted, "files")


def register_library(s):
    (s.session.drive_c / "com").mkdir()
    shutil.copy(s.engine / "comserver.dll", s.session.drive_c / "com")
    key = r"HKCU\Software\Classes\CLSID\{3C5E7A9B-1D2F-4E6A-8B0C-2D4F6A8C0E1B}\InprocServer32"
    exe = s.build("register", REGISTER_SCRIPT.format(mode="TRUE"))
    equal(s.session.run(exe, "/s", timeout=120), 0, "exit code")
    equal(s.text("register.txt"), "TRUE|FALSE|TRUE", "server, missing type library, server program")
    registered = s.session.reg_query(key) or ""
    check("c:\\com\\comserver.dll" in registered.lower(), f"the class registered: {registered!r}")
    exe = s.build("unregister", REGISTER_SCRIPT.format(mode="FALSE"))
    equal(s.session.run(exe, "/s", timeout=120), 0, "exit code of the removal")
    equal(s.text("register.txt").split("|")[0], "TRUE", "the server unregistered")
    equal(s.session.reg_query(key), None, "the class key is gone")


def light_mode_setup(s):
    payloads = {"light": setupfiles.payload(CHILD_COMMANDS, title="Child"),
                "broken": setupfiles.payload(FAILING_CHILD_COMMANDS, title="Failing Child"),
                "shared": setupfiles.payload(CHILD_COMMANDS, title="Child Beside a Library"),
                "later": setupfiles.payload(SLOW_CHILD_COMMANDS, title="Slow Child"),
                "leftover": setupfiles.payload(CHILD_COMMANDS, title="Child Left Behind"),
                "foreign": setupfiles.payload(CHILD_COMMANDS, title="Child Beside a Stranger")}
    for folder, payload in payloads.items():
        target = s.session.drive_c / folder
        target.mkdir()
        (target / "child.exe").write_bytes(payload)
        (target / "child.res").write_bytes(EMPTY_7Z)
        (target / "child.msi").write_bytes(b"installer database")
    # Another setup's keb.dll: a working library told apart by its DOS stub's
    # text (its appended messages must stay as they are).
    foreign_library = (s.engine / "keb.dll").read_bytes().replace(b"DOS mode", b"DOS MODE", 1)
    check(foreign_library != (s.engine / "keb.dll").read_bytes(), "another setup's keb.dll differs from the engine's")
    (s.session.drive_c / "shared" / "keb.dll").write_bytes(foreign_library)
    exe = s.build("light", LIGHT_SCRIPT)
    # The state a run killed while its setup ran leaves: the built setup in
    # the file's place, the original beside it.
    leftover = s.session.drive_c / "leftover"
    (leftover / "child.exe.nox").write_bytes(payloads["leftover"])
    (leftover / "child.exe").write_bytes(image_of(exe) + payloads["leftover"])
    stranger = b"somebody else's file"
    (s.session.drive_c / "foreign" / "child.exe.nox").write_bytes(stranger)

    equal(s.session.run(exe, "/s", timeout=180), 0, "exit code")
    good, broken, no_file, shared, later, recovered, foreign = s.text("light.txt").split("|")
    equal(good, "0", "the child setup's exit code")
    equal(broken, "1603", "the failing child setup's exit code")
    equal(no_file, "-1", "a payload file that does not exist")
    equal(shared, "0", "the child setup beside another setup's keb.dll")
    equal(later, "259", "a child setup not waited for is still running")
    equal(recovered, "0", "the child setup left behind by a cut-off run runs again")
    equal(foreign, "-1", "a payload file beside a '.nox' that is not the engine's")
    check((s.session.temp / "child.txt").exists(), "the child setup ran its script")
    check((s.session.drive_c / "later-ran.txt").exists(), "the child setup not waited for ran to its end")
    for folder in ("light", "broken", "later", "leftover"):
        target = s.session.drive_c / folder
        check((target / "child.exe").read_bytes() == payloads[folder], f"the payload file in {folder} is restored")
        check(not (target / "keb.dll").exists(), f"no keb.dll copy left in {folder}")
        check(not (target / "child.exe.nox").exists() and not (target / "child.exe.to").exists(),
              f"no intermediate files left in {folder}")
    shared_folder = s.session.drive_c / "shared"
    check((shared_folder / "child.exe").read_bytes() == payloads["shared"], "the payload file in shared is restored")
    library = shared_folder / "keb.dll"
    check(library.exists() and library.read_bytes() == foreign_library, "another setup's keb.dll is kept as it was")
    foreign_folder = s.session.drive_c / "foreign"
    check((foreign_folder / "child.exe").read_bytes() == payloads["foreign"], "the payload file beside a stranger")
    equal((foreign_folder / "child.exe.nox").read_bytes(), stranger, "somebody else's '.nox' is left alone")
    check(not (foreign_folder / "keb.dll").exists(), "no keb.dll copy beside a stranger")

SCENARIOS = {f.__name__: f for f in (plugins, plugin_cancel, plugin_in_block, programs, extract_archive, extract_cancel, register_library, light_mode_setup)}


if __name__ == "__main__":
    sys.exit(scenario.main("programs", SCENARIOS, Scenario,
                           programs=("kebstub.exe", "keb.dll", "uidriver.exe", "exitcode.exe", "sampleplugin.dll",
                                     "comserver.dll"),
                           tools=("7zz",)))
