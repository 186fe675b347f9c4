"""End-to-end scenarios of the script interpreter under Wine.

usage: script_e2e.py --builds DIR --work-dir DIR --orvanta PATH SCENARIO
Each scenario builds a setup with `orvanta build` and runs it in a fresh
copy of the template prefix. Exit code 77 means skipped.
"""

import os
import re
import shutil
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import scenario  # noqa: E402
from scenario import check, equal  # noqa: E402

HEADER = dict(title="Script Test", product_code="{5D0C3B2A-1F4E-4A6B-9C8D-7E6F5A4B3C2D}",
              revision_code="{6E1D4C3B-2A5F-4B7C-8D9E-0F1A2B3C4D5E}")

# Computes with Mathematics, Parse String and If, writes the results with
# Write to Text File and ends with exit code 1602 before its last command.
COMPUTE_SCRIPT = """
Mathematics
  | 6
  | 7
  | 2
  | ANSWER
Parse String
  | alpha.beta.gamma
  | .
  | FIRST
  | REST
  | 1
  | FALSE
  | FALSE
If
  | ANSWER
  | 2
  | 40
  | FALSE
  Write to Text File
    | $TEMPDIR$compute.txt
    | $FIRST$ $REST$ $ANSWER$
    | FALSE
Else
  Write to Text File
    | $TEMPDIR$compute.txt
    | wrong branch
    | FALSE
End
Write to Text File
  | $TEMPDIR$compute.txt
  | first line
  | TRUE
Terminate with Exit Code
  | 1602
Write to Text File
  | $TEMPDIR$compute.txt
  | never written
  | FALSE
"""

# Command 3 reads a mode that is not a number.
FAILING_SCRIPT = """
Set Variable
  | MODE
  | x
Comment
  | the next command fails
Parse String
  | a.b
  | .
  | A
  | B
  | $MODE$
  | FALSE
  | FALSE
Write to Text File
  | $TEMPDIR$never.txt
  | never written
  | FALSE
"""

# Asks a Yes/No question and writes the answer; the caption names the product.
QUESTION_SCRIPT = """
MessageBox
  | $TITLE$ question
  | Proceed with$NEWLINE$the installation?
  | 1
  | 4
  | ANSWER
Write to Text File
  | $TEMPDIR$answer.txt
  | $ANSWER$
  | FALSE
"""

# The values that come from Windows itself: environment, temporary file,
# long and short paths, date and time.
SYSTEM_SCRIPT = """
Get Environment
  | WINDIR
  | WINDOWS
Get Environment
  | ORVANTA_NOT_SET
  | MISSING
Get Temporary File
  | TMPFILE
Set Variable
  | SHORT
  | $TEMPDIR$Long Folder Name\\
Convert Path
  | SHORT
  | TRUE
Set Variable
  | LONG
  | $SHORT$
Convert Path
  | LONG
  | FALSE
Write to Text File
  | $TEMPDIR$values.txt
  | $WINDOWS$|$MISSING$|$TMPFILE$|$SHORT$|$LONG$|$DATE$|$TIME$
  | FALSE
"""

# Arranges to start again after the restart, then asks for the restart.
RESUME_SCRIPT = """
Set Variable
  | ALLUSERS
  | FALSE
Reboot and Resume
Write to Text File
  | $TEMPDIR$never.txt
  | never written
  | FALSE
"""


# Adds a line to a file that another program holds without sharing it for
# reading, then leaves a mark that the script went on.
LOCKED_SCRIPT = """
Write to Text File
  | C:\\locked.txt
  | new line
  | FALSE
Write to Text File
  | $TEMPDIR$done.txt
  | done
  | FALSE
"""


# Greets in the installation language, asks a translated question and
# writes the language and the greeting down.
LANGUAGE_VALUES = "DefaultLanguage = English\nShowLanguageDialog = TRUE\nTranslations = translations\n"
LANGUAGE_SCRIPT = """
Set Variable
  | GREETING
  | Hello
MessageBox
  | Question
  | Continue?
  | 1
  | 4
  | ANSWER
Write to Text File
  | $TEMPDIR$language.txt
  | $LANGUAGE$ $GREETING$ $ANSWER$
  | FALSE
"""
GERMAN = 'msgid "Hello"\nmsgstr "Gr\u00fc\u00df Gott"\nmsgid "Question"\nmsgstr "Frage"\nmsgid "Continue?"\nmsgstr "Weiter?"\n'


# Asks the machine about a prepared tree, an INI file, the disk and folders.
QUERY_SCRIPT = """
Find All Files
  | C:\\tree\\*.txt
  | TRUE
  | TRUE
  | FOUND
Does File/Folder Exist
  | ISFILE
  | C:\\tree\\b.txt
  | TRUE
Does File/Folder Exist
  | ISFOLDER
  | C:\\tree\\b.txt
  | FALSE
Get INI File Settings
  | GREETING
  | C:\\tree\\settings.ini
  | Main
  | Greeting
Check Disk Space
  | TOTAL
  | C:\\
  | FALSE
Get Folder Location
  | PROGRAMS
  | 20
  | FALSE
Get Folder Location
  | COMMON
  | 20
  | TRUE
Get Folder Location
  | WINDOWS
  | 25
  | FALSE
Get File Version
  | C:\\tree\\versioned.dll
  | VERSION
Check File Version
  | SAME
  | C:\\tree\\versioned.dll
  | FALSE
  |
  | 1.2.3.4
Check File Version
  | SHORTER
  | C:\\tree\\versioned.dll
  | FALSE
  |
  | 1.2.3
Check File Version
  | NEWER
  | C:\\tree\\versioned.dll
  | FALSE
  |
  | 1.2.3.5
Write to Text File
  | $TEMPDIR$queries.txt
  | $FOUND$#$ISFILE$#$ISFOLDER$#$GREETING$#$TOTAL$#$PROGRAMS$#$COMMON$#$WINDOWS$#$VERSION$#$SAME$#$SHORTER$#$NEWER$
  | FALSE
"""


class Scenario(scenario.Scenario):
    def __init__(self, session, engine, orvanta, work):
        super().__init__(session, engine, orvanta, work)
        self.folder.mkdir()

    def build(self, name, script, values="", files=None):
        """Builds the setup; values are extra project lines, files (relative path: text) extra project files."""
        project = self.project(name, scenario.project_header(name, **HEADER, values=values) + script,
                               {**(files or {}), "product.msi": b"installer database"})
        return self.orvanta_build(project) / (name + ".exe")


def compute(s):
    exe = s.build("compute", COMPUTE_SCRIPT)
    equal(s.session.run(exe, "/s", timeout=120), 1602, "exit code")
    written = (s.session.temp / "compute.txt").read_bytes()
    equal(written, b"first line\r\nalpha.beta gamma 42\r\n", "text file written by the script")
    equal(sorted(p.name for p in s.session.temp.iterdir()), ["compute.txt"], "temporary folder after the run")


def script_error(s):
    exe = s.build("failing", FAILING_SCRIPT)
    process = s.session.start(exe)
    text = s.ui.message_box("Orvanta", timeout_ms=30000)
    # The driver drops carriage returns: "\r\r" between heading and line disappears.
    equal(text, "Runtime error in setup script:Line 3: 'x' is not a valid integer value", "error box text")
    s.session.screenshot("script-error.png")
    check(s.ui.click("Orvanta", "OK"), "the OK button of the error box")
    equal(s.session.finish(process, timeout=60), 1603, "exit code")
    check(not (s.session.temp / "never.txt").exists(), "no command runs after the failing one")

    # Silent: no box; the exit code and the log tell a deployment tool.
    log = s.session.drive_c / "failing.log"
    equal(s.session.run(exe, "/s", "/m=" + s.session.windows_path(log), timeout=60), 1603, "silent exit code")
    logged = log.read_bytes().decode("utf-16-le", "replace") if log.exists() else ""
    check("Orvanta: Runtime error in setup script: Line 3: 'x' is not a valid integer value\r\n" in logged,
          f"the report in the log: {logged!r}")
    check(not (s.session.temp / "never.txt").exists(), "no command runs after the failing one, silent")


def message_box(s):
    exe = s.build("question", QUESTION_SCRIPT)
    process = s.session.start(exe)
    caption = "Script Test question"
    controls = s.ui.controls(caption, timeout_ms=30000)
    check(controls is not None, "the question box appears")
    texts = [text for cls, _, text in controls if cls.lower() == "static" and text]
    equal(texts[-1], "Proceed with\nthe installation?", "question text")
    buttons = sorted(cid for cls, cid, _ in controls if cls.lower() == "button")
    equal(buttons, [6, 7], "Yes and No buttons")
    check(s.ui.click(caption, "#7"), "the No button")
    equal(s.session.finish(process, timeout=60), 0, "exit code")
    equal((s.session.temp / "answer.txt").read_bytes(), b"NO\r\n", "stored answer")


def system_values(s):
    exe = s.build("values", SYSTEM_SCRIPT)
    (s.session.temp / "Long Folder Name").mkdir()
    equal(s.session.run(exe, "/s", timeout=120), 0, "exit code")
    values = (s.session.temp / "values.txt").read_bytes().decode("latin-1").rstrip("\r\n").split("|")
    windows, missing, temp_file, short, long, date, time_of_day = values
    equal(windows.lower(), "c:\\windows", "WINDIR from the environment")
    equal(missing, "%ORVANTA_NOT_SET%", "an unset environment variable")
    temp_name = temp_file.rsplit("\\", 1)[-1]
    # The system writes the unique number in hex without leading zeros: keb1a.tmp up to kebffff.tmp.
    check(re.fullmatch(r"keb[0-9a-f]{1,4}\.tmp", temp_name.lower()) is not None,
          "temporary file name keb + up to four hex digits + .tmp: " + temp_file)
    check((s.session.temp / temp_name).exists(), "the temporary file exists")
    check("~" in short.rstrip("\\").rsplit("\\", 1)[-1], "8.3 name of the long folder: " + short)
    check(long.endswith("\\Long Folder Name"), "long form restored: " + long)
    check(date and time_of_day, "date and time are set")


def reboot_and_resume(s):
    exe = s.build("resume", RESUME_SCRIPT)
    s.session.run(exe, "/s", timeout=120)
    entry = s.session.reg_query(r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run", "5D0C3B2A")
    equal(entry, '"%s"' % s.session.windows_path(exe), "resume entry under the current user's Run key")
    check(not (s.session.temp / "never.txt").exists(), "the script ends after the restart request")
    # Wine answers the restart request by restarting its own session in the
    # prefix, racing any later program: the removal at the next start is
    # covered by the host tests.


def locked_text_file(s):
    """A text file that cannot be read is left as it is, not replaced by the one new line."""
    exe = s.build("locked", LOCKED_SCRIPT)
    target = s.session.drive_c / "locked.txt"
    target.write_bytes(b"first\r\nsecond\r\n")
    holder = s.session.start(s.engine / "holdfile.exe", "C:\\locked.txt", "60")
    deadline = time.monotonic() + 30
    while not (s.session.drive_c / "locked.txt.held").exists():
        check(time.monotonic() < deadline and holder.poll() is None, "the helper holds the file")
        time.sleep(0.1)
    equal(s.session.run(exe, "/s", timeout=120), 0, "exit code while the file is held")
    (s.session.drive_c / "locked.txt.release").write_text("")
    equal(s.session.finish(holder, timeout=60), 0, "exit code of the helper")
    equal(target.read_bytes(), b"first\r\nsecond\r\n", "the held file")
    check((s.session.temp / "done.txt").exists(), "the script goes on after the failed write")

    equal(s.session.run(exe, "/s", timeout=120), 0, "exit code once the file is free")
    equal(target.read_bytes(), b"first\r\nsecond\r\nnew line\r\n", "the file once it is free")
    equal(sorted(p.name for p in s.session.drive_c.glob("~kb*")), [], "no temporary file is left beside it")


def languages(s):
    """The language dialog preselects the user's German; the script then speaks German, silent runs ask nothing."""
    exe = s.build("language", LANGUAGE_SCRIPT, LANGUAGE_VALUES, {"translations/German.txt": GERMAN})
    # Wine takes the user's locale from the Unix locale of each program it starts.
    s.session.env["LC_ALL"] = "de_DE.UTF-8"
    process = s.session.start(exe)
    caption = "Select Setup Language"
    controls = s.ui.controls(caption, timeout_ms=30000)
    check(controls is not None, "the language dialog appears")
    combo = [text for cls, _, text in controls if cls.lower() == "combobox"]
    equal(combo, ["Deutsch"], "the preselected language, under its own name")
    texts = [text for cls, _, text in controls if cls.lower() == "static" and text]
    equal(texts, ["Please select the language to use during the installation:"], "the dialog's text")
    s.session.screenshot("language-dialog.png")
    check(s.ui.click(caption, "#1"), "the OK button")
    # The engine's own texts are German from here on: the MessageBox caption and text are the project's.
    equal(s.ui.message_box("Frage", timeout_ms=30000), "Weiter?", "the translated question")
    s.session.screenshot("language-question.png")
    check(s.ui.click("Frage", "#6"), "Yes to the question")
    equal(s.session.finish(process, timeout=60), 0, "exit code")
    equal((s.session.temp / "language.txt").read_bytes(), b"German Gr\xfc\xdf Gott YES\r\n",
          "language, greeting and answer")

    # Silent: no dialog, the language it would preselect.
    (s.session.temp / "language.txt").unlink()
    equal(s.session.run(exe, "/s", timeout=120), 0, "exit code of the silent run")
    silent = (s.session.temp / "language.txt").read_bytes()
    check(silent.startswith(b"German Gr\xfc\xdf Gott "), "the silent run's language: %r" % silent)

    # Cancel ends the run with its clean-up.
    (s.session.temp / "language.txt").unlink()
    process = s.session.start(exe)
    check(s.ui.click(caption, "#2", timeout_ms=30000), "the Cancel button")
    equal(s.session.finish(process, timeout=60), 0, "exit code after Cancel")
    check(not (s.session.temp / "language.txt").exists(), "no command runs after Cancel")
    equal(sorted(p.name for p in s.session.temp.iterdir()), [], "the support folder is removed")


def file_queries(s):
    """Find All Files, existence, INI values, disk space and folder locations as Windows answers them."""
    tree = s.session.drive_c / "tree"
    for relative in ("b.txt", "a.log", "one/x.txt", "one/deep/y.txt", "two words/z.txt"):
        (tree / relative).parent.mkdir(parents=True, exist_ok=True)
        (tree / relative).write_text("x")
    (tree / "settings.ini").write_text("[Main]\r\nGreeting=Hello there\r\n")
    shutil.copy(s.engine / "versioned.dll", tree)
    exe = s.build("queries", QUERY_SCRIPT)
    equal(s.session.run(exe, "/s", timeout=120), 0, "exit code")
    found, is_file, is_folder, greeting, total, programs, common, windows, *versions = (
        (s.session.temp / "queries.txt").read_bytes().decode("latin-1").rstrip("\r\n").split("#"))
    entries = [entry.lower() for entry in found.split("|")]
    equal(entries, ["c:\\tree\\one\\deep\\y.txt", "c:\\tree\\one\\deep", "c:\\tree\\one\\x.txt", "c:\\tree\\one",
                    '"c:\\tree\\two words\\z.txt"', '"c:\\tree\\two words"', "c:\\tree\\b.txt"],
          "each subfolder's matches before it, the top folder's files last")
    equal((is_file, is_folder, greeting), ("TRUE", "FALSE", "Hello there"), "existence and the INI value")
    stat = os.statvfs(s.session.drive_c)
    check(int(total) in (stat.f_blocks * stat.f_frsize, stat.f_blocks * stat.f_bsize),
          f"the disk's total bytes: {total} against {stat.f_blocks} blocks")
    key = r"HKLM\Software\Microsoft\Windows\CurrentVersion"
    equal(programs, s.session.reg_query(key, "ProgramFilesDir") + "\\", "Program Files")
    equal(common, s.session.reg_query(key, "CommonFilesDir") + "\\", "Common Files")
    equal(windows.lower(), "c:\\windows\\", "the Windows folder")
    equal(versions, ["1.2.3.4", "FALSE", "TRUE", "FALSE"], "the version 1.2.3.4 against 1.2.3.4, 1.2.3 and 1.2.3.5")


SCENARIOS = {f.__name__: f for f in (compute, script_error, message_box, system_values, reboot_and_resume,
                                     locked_text_file, languages, file_queries)}


if __name__ == "__main__":
    sys.exit(scenario.main("script", SCENARIOS, Scenario,
                           programs=("kebstub.exe", "keb.dll", "uidriver.exe", "holdfile.exe", "versioned.dll"), tools=("7zz",)))
