"""End-to-end scenarios of single-file setups under Wine: the launcher
unpacks the sample into a private folder of its own, runs its engine with its
command line, ends with the engine's exit code and leaves no folder behind.

usage: single_e2e.py --builds DIR --work-dir DIR --orvanta PATH SCENARIO
Exit code 77 means skipped.
"""

import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import dialogs_e2e  # noqa: E402
import msipackages  # noqa: E402
import scenario  # noqa: E402
import webmedia_e2e  # noqa: E402
from webserver import LoopbackServer  # noqa: E402
from scenario import check, equal  # noqa: E402

UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvanta Sample"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
ARCHIVE_SIGNATURE = b"7z\xbc\xaf\x27\x1c"
PROGRESS_CAPTION = "Setup"  # the launcher's progress window
# Random hexadecimal digits: nearly every byte is a literal for the decoder,
# so this much takes seconds to unpack while 7zz packs it fast.
SLOW_FILLER_BYTES = 160 << 20

# The first run arranges for the setup to start again after the restart and
# asks for it; the run the restart starts writes down where it came from.
RESUME_AFTER_RESTART = """Does File/Folder Exist
  | RESUMED
  | $TEMPDIR$restart-asked.txt
  | TRUE
If
  | RESUMED
  | 0
  | TRUE
  | FALSE
  Write to Text File
    | $TEMPDIR$resumed.txt
    | $SFXPATH$|$SFXFILE$
    | FALSE
  Terminate with Exit Code
    | 0
End
Write to Text File
  | $TEMPDIR$restart-asked.txt
  | asked
  | FALSE
Set Variable
  | ALLUSERS
  | FALSE
Reboot and Resume
"""

# Writes what the engine was given, then ends with the code CODE names.
ECHO_AND_END = """Write to Text File
  | $TEMPDIR$launched.txt
  | $SFXPATH$|$SFXFILE$|$GREETING$
  | FALSE
Terminate with Exit Code
  | $CODE$
"""


class Scenario(scenario.Scenario):
    def build_single(self, project, *options):
        out = self.orvanta_build(project, self.folder, "--single-file", *options)
        return out / "sample.exe"

    def private_folders(self):
        return sorted(p.name for p in self.session.temp.iterdir() if p.name.startswith("orv-"))

    def run(self, exe, *args, timeout=240):
        code = self.session.run(exe, *args, timeout=timeout)
        equal(self.private_folders(), [], f"private folders left after {exe.name} {' '.join(args)}")
        return code

    def repacked(self, exe, name, options, extra=None):
        """The launcher of a built single-file setup carrying, instead of its archive, the same setup folder
        (with the extra files) packed by 7zz with the given options: NAME.exe in the setup folder."""
        data = exe.read_bytes()
        start = data.rfind(ARCHIVE_SIGNATURE)
        check(start > 0, "the appended archive")
        unpacked, archive = self.work / (name + "-folder"), self.work / (name + ".7z")
        shutil.rmtree(unpacked, ignore_errors=True)
        unpacked.mkdir(parents=True)
        archive.unlink(missing_ok=True)
        carried = self.work / (name + "-carried.7z")
        carried.write_bytes(data[start:])
        subprocess.run(["7zz", "x", "-bd", "-y", "-o" + str(unpacked), str(carried)], check=True,
                       stdout=subprocess.DEVNULL)
        for file_name, content in (extra or {}).items():
            (unpacked / file_name).write_bytes(content)
        subprocess.run(["7zz", "a", "-t7z", "-bd", "-y", *options, str(archive), "."], cwd=unpacked, check=True,
                       stdout=subprocess.DEVNULL)
        launcher = self.folder / (name + ".exe")
        launcher.write_bytes(data[:start] + archive.read_bytes())
        shutil.rmtree(unpacked)
        archive.unlink()
        carried.unlink()
        return launcher

    def slow_setup(self, project=scenario.SOURCE / "examples" / "sample"):
        """The project as one file whose archive also carries a file that takes seconds to unpack."""
        exe = self.build_single(project)
        filler = os.urandom(SLOW_FILLER_BYTES // 2).hex().encode()
        return self.repacked(exe, "slow", ["-m0=LZMA2", "-mx1", "-mmt=2"], {"filler.txt": filler})


class SingleFileDialogs(dialogs_e2e.Scenario):
    """The dialog scenarios' steps, with every setup built as one file."""

    def orvanta_build(self, project, out=None, *options):
        return super().orvanta_build(project, out, "--single-file", *options)


def silent_lifecycle(s):
    """One file installs the sample silently, and its uninstall entry removes it."""
    exe = s.build_single(scenario.SOURCE / "examples" / "sample")
    equal(sorted(p.name for p in s.folder.iterdir()), ["sample.exe"], "the single-file setup folder")
    equal(s.run(exe, "/s"), 0, "exit code of the installation")
    equal(s.report("orvanta-sample.txt"),
          ["Hello from Orvanta Sample: the answer is 42, maintenance FALSE", "Result: COMPLETE "],
          "the script's report of the installation")
    target = s.session.drive_c / "Program Files" / "Orvanta Sample"
    check((target / "readme.txt").is_file(), "the installed file")
    command = s.session.reg_query(UNINSTALL_KEY, "UninstallString")
    check(command and "scenario-temp" not in command, "the uninstall entry runs the cached engine: %r" % command)
    program, arguments = command[1:].split('" ', 1)
    equal(s.session.wine(program, *arguments.split(), "/s", timeout=240).returncode, 0, "exit code of the removal")
    check(not (target / "readme.txt").exists(), "the removal deletes the files")
    equal(s.session.reg_query(UNINSTALL_KEY), None, "the uninstall entry after the removal")
    equal(s.private_folders(), [], "private folders after the removal")


def exit_codes_and_arguments(s):
    """The engine's exit code passes through, all 32 bits; arguments with blanks and overrides reach it."""
    exe = s.build_single(s.sample_project("codes", script_start=ECHO_AND_END))
    for code in (0, 1602, 3010, 0x80070005):
        signed = code - (1 << 32) if code >= 1 << 31 else code
        equal(s.run(exe, "/s", f"CODE={signed}"), code, f"exit code {code:#x}")
    # Wine's start.exe drops a quoted argument: the launcher is run directly, its code read to 8 bits.
    equal(s.session.wine(exe, "/s", "CODE=0", "GREETING=two  words", timeout=240).returncode, 0,
          "exit code with a quoted override")
    equal(s.private_folders(), [], "private folders after the quoted override")
    launcher = s.session.windows_path(exe)
    folder = launcher[:-len("sample.exe")]
    equal(s.report("launched.txt")[-1].lower(), f"{folder}|sample.exe|two  words".lower(),
          "the launcher's path and the override as the engine saw them")


def damaged_archive(s):
    """One changed byte of the appended archive: a message (none when silent), exit code 11, no folder left.
    A byte in the middle of the packed data fails while a file is being written: that file is closed and
    deleted with its folder too."""
    exe = s.build_single(scenario.SOURCE / "examples" / "sample")
    pristine = exe.read_bytes()
    start = pristine.rfind(ARCHIVE_SIGNATURE)
    check(start > 0, "the appended archive")
    data = bytearray(pristine)
    data[start + (len(data) - start) // 2] ^= 0x40
    exe.write_bytes(bytes(data))
    equal(s.run(exe, "/s"), 11, "silent exit code, damaged packed data")
    data = bytearray(pristine)
    data[len(data) - 2000] ^= 0x40
    exe.write_bytes(bytes(data))
    equal(s.run(exe, "/s"), 11, "silent exit code")
    process = s.session.start(exe)
    text = s.ui.message_box("Setup", timeout_ms=30000)
    check(text is not None and "damaged" in text, "the message box: %r" % text)
    check(s.ui.click("Setup", "OK"), "the OK button of the message box")
    equal(s.session.finish(process), 11, "exit code after the message")
    equal(s.private_folders(), [], "private folders after the damaged run")
    check(not (s.session.drive_c / "Program Files" / "Orvanta Sample").exists(), "nothing installed")


def no_private_folder(s):
    """A temporary folder in which no folder can be made: a message saying so (none when silent), exit code 11,
    nothing installed."""
    exe = s.build_single(scenario.SOURCE / "examples" / "sample")
    blocked = s.session.temp / "not-a-folder"
    blocked.write_text("a file where the temporary folder should be")
    for name in ("TEMP", "TMP"):
        s.session.reg_add(r"HKCU\Environment", name, s.session.windows_path(blocked))
    try:
        equal(s.session.run(exe, "/s", timeout=240), 11, "silent exit code")
        process = s.session.start(exe)
        text = s.ui.message_box("Setup", timeout_ms=30000)
        check(text is not None and "no private folder" in text, "the message box: %r" % text)
        check(s.ui.click("Setup", "OK"), "the OK button of the message box")
        equal(s.session.finish(process), 11, "exit code after the message")
    finally:
        for name in ("TEMP", "TMP"):
            s.session.reg_add(r"HKCU\Environment", name, s.session.windows_path(s.session.temp))
    check(not (s.session.drive_c / "Program Files" / "Orvanta Sample").exists(), "nothing installed")


def signed_single_file(s):
    """A signed single-file setup verifies and installs; one changed byte of its archive breaks the signature
    and the launcher refuses to run."""
    keys = s.work / "keys"
    keys.mkdir(parents=True, exist_ok=True)
    certificate, key = keys / "cert.pem", keys / "key.pem"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", str(key), "-out",
                    str(certificate), "-days", "2", "-subj", "/CN=Orvanta Test Signer/O=Orvanta Tests"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    exe = s.build_single(s.sample_project("signed"), "--sign-cert", str(certificate), "--sign-key", str(key))

    def verify(program):
        return subprocess.run([s.orvanta, "verify", str(program), "--ca", str(certificate)], capture_output=True,
                              text=True)

    ours = verify(exe)
    equal(ours.returncode, 0, "orvanta verify of the single-file setup: " + ours.stdout)
    check("signature: intact" in ours.stdout and "certificate: trusted" in ours.stdout, "the report: " + ours.stdout)
    theirs = subprocess.run(["osslsigncode", "verify", "-in", str(exe), "-CAfile", str(certificate)],
                            capture_output=True, text=True)
    check("Signature verification: ok" in theirs.stdout, "osslsigncode's verdict: " + theirs.stdout)
    listing = subprocess.run([s.orvanta, "archive", "list", str(exe)], capture_output=True, text=True)
    equal(listing.returncode, 0, "orvanta archive list of the launcher: " + listing.stderr)
    for name in ("sample.exe", "sample.msi", "sample.res", "keb.dll"):
        check(name in listing.stdout, f"{name} in what the launcher carries: {listing.stdout}")

    equal(s.run(exe, "/s"), 0, "exit code of the signed setup")
    check((s.session.drive_c / "Program Files" / "Orvanta Sample" / "readme.txt").is_file(), "the installed file")

    data = bytearray(exe.read_bytes())
    archive = data.rfind(b"7z\xbc\xaf\x27\x1c")
    check(archive > 0, "the appended archive")
    data[archive + 1000] ^= 0x01
    changed = s.folder / "changed.exe"
    changed.write_bytes(bytes(data))
    broken = verify(changed)
    equal(broken.returncode, 1, "orvanta verify of the changed setup: " + broken.stdout)
    check("signature: BROKEN" in broken.stdout, "the report of the changed setup: " + broken.stdout)
    equal(s.run(changed, "/s", "REMOVE=TRUE"), 11, "exit code of the changed setup")


def engine_killed(s):
    """The engine ended from outside while its wizard shows: the launcher ends too and removes its folder."""
    built = s.build_single(scenario.SOURCE / "examples" / "sample")
    launcher = s.folder / "download-1.exe"  # renamed as downloads are; the engine inside keeps its name
    built.rename(launcher)
    process = s.session.start(launcher)
    caption = "Orvanta Sample Setup"
    check(s.ui.wait(caption, 60000), "the wizard of the engine the launcher started")
    folders = s.private_folders()
    equal(len(folders), 1, "the launcher's private folder while the engine runs")
    check((s.session.temp / folders[0] / "sample.exe").is_file(), "the engine in the private folder")
    s.session.wine("taskkill", "/f", "/im", "sample.exe", timeout=60)
    s.session.finish(process, timeout=60)  # the launcher ended (Wine's taskkill /f ends the engine with 0)
    equal(s.private_folders(), [], "private folders after the engine was killed")


def wizard_install(s):
    """The sample's wizard, walked by a user, from the single-file setup."""
    dialogs_e2e.sample_wizard(SingleFileDialogs(s.session, s.engine, s.orvanta, s.work / "wizard"))
    equal(s.private_folders(), [], "private folders after the wizard")


def web_media_beside(s):
    """A web media archive beside the launcher is used without a download."""
    w = webmedia_e2e.Scenario(s.session, s.engine, s.orvanta, s.work / "webmedia")
    archive = webmedia_e2e.ARCHIVE
    with LoopbackServer({}) as server:
        files = {"block/" + name: data for name, data in w.files.items()}
        files["product.wxs"] = msipackages.product_wxs(webmedia_e2e.PRODUCT, "Web Media Test", webmedia_e2e.UPGRADE,
                                                       "w.cab")
        project = w.project("webmedia", webmedia_e2e.project_text(server.url("/" + archive)), files)
        w.orvanta_build(project, w.folder, "--single-file")
        equal(sorted(p.name for p in w.folder.iterdir()), [archive, "webmedia.exe"], "the single-file setup folder")
        equal(w.run(), 0, "exit code")
        w.expect_installed("beside the launcher")
        equal(server.requests, [], "requests")
    equal(s.private_folders(), [], "private folders after the run")


def progress_window_cancel(s):
    """An extraction that takes seconds shows the progress window; its Cancel ends the launcher with 1602
    before any engine starts, and the private folder is gone."""
    exe = s.slow_setup()
    process = s.session.start(exe)
    check(s.ui.wait(PROGRESS_CAPTION, 60000), "the progress window")
    controls = s.ui.controls(PROGRESS_CAPTION) or []
    check(any(cls.lower() == "static" and text.startswith("Preparing the setup...") for cls, _, text in controls),
          "the window's text: %r" % controls)
    check(s.ui.click(PROGRESS_CAPTION, "Cancel"), "the Cancel button")
    equal(s.session.finish(process, timeout=240), 1602, "exit code after Cancel")
    equal(s.private_folders(), [], "private folders after Cancel")
    equal(s.report("orvanta-sample.txt"), [], "the engine's report: no engine ran")
    check(not (s.session.drive_c / "Program Files" / "Orvanta Sample").exists(), "nothing installed")


def silent_shows_no_window(s):
    """With /s the same slow extraction shows no window at all, and the setup installs."""
    exe = s.slow_setup()
    process = s.session.start(exe, "/s")
    looks, seen = 0, False
    while process.poll() is None and looks < 100:
        seen = seen or s.ui.wait(PROGRESS_CAPTION, 300)
        looks += 1
    equal(s.session.finish(process, timeout=240), 0, "exit code of the silent installation")
    check(looks >= 2, f"the window looked for while the launcher ran ({looks} times)")
    check(not seen, "no progress window in a silent run")
    equal(s.private_folders(), [], "private folders after the silent run")
    check((s.session.drive_c / "Program Files" / "Orvanta Sample" / "readme.txt").is_file(), "the installed file")


def other_methods_refused(s):
    """The launcher unpacks what orvanta packs (LZMA2, and BCJ for programs); an archive of other methods is
    refused by the method's name with exit code 11, and nothing is left behind."""
    exe = s.build_single(scenario.SOURCE / "examples" / "sample")
    for name, options, method in (("bcj2", ["-m0=LZMA2", "-mf=BCJ2"], "BCJ2"),
                                  ("encrypted", ["-m0=LZMA2", "-pSecret"], "7zAES")):
        launcher = s.repacked(exe, name, options)
        equal(s.run(launcher, "/s"), 11, f"silent exit code of the {name} archive")
        process = s.session.start(launcher)
        text = s.ui.message_box("Setup", timeout_ms=30000)
        check(text is not None and "unsupported method: " + method in text, "the message box: %r" % text)
        check(s.ui.click("Setup", "OK"), "the OK button of the message box")
        equal(s.session.finish(process), 11, f"exit code after the message of the {name} archive")
        equal(s.private_folders(), [], f"private folders after the {name} archive")
    check(not (s.session.drive_c / "Program Files" / "Orvanta Sample").exists(), "nothing installed")


def reboot_resume_entry(s):
    """"Reboot and Resume" in a single-file setup: the Run entry starts the launcher (the engine's private
    folder is gone after the restart), quoted for the blank in its folder's name, without arguments. Wine's
    restart runs the entry at once; the resumed setup, started through the launcher, removes it."""
    # Slow to unpack: the resumed run removes the entry only once its engine starts.
    built = s.slow_setup(s.sample_project("resume", script_start=RESUME_AFTER_RESTART))
    downloads = s.folder / "My Downloads"
    downloads.mkdir()
    launcher = downloads / "sample.exe"
    built.rename(launcher)
    # Run directly: Wine's start.exe cannot start a program whose path has a blank.
    equal(s.session.wine(launcher, "/s", timeout=240).returncode, 0, "exit code of the run that asks for the restart")
    equal(s.report("restart-asked.txt"), ["asked"], "the first run's mark")
    # The engine reads the launcher's path lower-cased from its "/l=".
    equal((s.session.reg_query(RUN_KEY, "6F1B2C3D") or "").lower(), '"%s"' % s.session.windows_path(launcher).lower(),
          "the resume entry under the current user's Run key")
    deadline = time.monotonic() + 180
    while not s.report("resumed.txt") and time.monotonic() < deadline:
        time.sleep(0.5)
    folder = s.session.windows_path(downloads) + "\\"
    equal([line.lower() for line in s.report("resumed.txt")], [f"{folder}|sample.exe".lower()],
          "SFXPATH and SFXFILE of the resumed run")
    while s.private_folders() and time.monotonic() < deadline:
        time.sleep(0.5)
    equal(s.private_folders(), [], "private folders after the resumed run")
    equal(s.session.reg_query(RUN_KEY, "6F1B2C3D"), None, "the resume entry after the resumed run")


SCENARIOS = {f.__name__: f for f in (silent_lifecycle, exit_codes_and_arguments, damaged_archive,
                                     no_private_folder, signed_single_file, engine_killed, wizard_install, web_media_beside,
                                     progress_window_cancel, silent_shows_no_window, other_methods_refused,
                                     reboot_resume_entry)}

if __name__ == "__main__":
    sys.exit(scenario.main("single", SCENARIOS, Scenario,
                           programs=("kebstub.exe", "keb.dll", "kebsfx.exe", "uidriver.exe"),
                           tools=("wixl", "msibuild", "7zz", "osslsigncode", "openssl"), timeout=600))
