"""End-to-end scenarios of the engine's start-up under Wine.

usage: startup_e2e.py --builds DIR --work-dir DIR SCENARIO
Exit code 77 means skipped (no Windows build).
"""

import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import scenario  # noqa: E402
import setupfiles  # noqa: E402
import winehost  # noqa: E402
from scenario import check, equal  # noqa: E402

SETUP = "mysetup"
PREPARING_CAPTION = "Orvanta Wizard"
# A modeless dialog: the script goes on to its end.
DIALOG = ("Display Dialog", "{0C9A8E7E-1B5B-4B8E-9E4A-5D2F1C000001}", ["welcome", "RESULT", "FALSE", "", "TRUE", "FALSE"],
          False)
# The smallest form the engine loads: a form object without properties.
WELCOME_FORM = b"TPF0\x05TForm\x07Welcome\x00\x00"




def says_why(text, before_reason):
    """Whether the message goes on, after the given words, with the system's reason."""
    return bool(text) and before_reason in text and text.split(before_reason, 1)[1].strip() != ""


class Scenario(scenario.Scenario):
    def __init__(self, session, engine, orvanta, work):
        super().__init__(session, engine, orvanta, work)
        self.folder.mkdir()
        self.exe = self.folder / (SETUP + ".exe")

    def make_setup(self, payload=None, res=True, msi=True, splash=None, keb=True, keb_messages=None):
        engine = (self.engine / "kebstub.exe").read_bytes()
        self.exe.write_bytes(engine + (payload if payload is not None else setupfiles.payload([DIALOG])))
        if keb:
            library = self.folder / "keb.dll"
            shutil.copy(self.engine / "keb.dll", library)
            if keb_messages:
                with open(library, "ab") as out:
                    out.write("".join(line + "\r\n" for line in keb_messages).encode("latin-1"))
        if res:
            with tempfile.TemporaryDirectory() as staging:
                (Path(staging) / "welcome.dfm").write_bytes(WELCOME_FORM)
                (Path(staging) / "welcome.dfm.kebf").write_bytes(b"")
                subprocess.run(["7zz", "a", "-t7z", str(self.folder / (SETUP + ".res")), "welcome.dfm",
                                "welcome.dfm.kebf"],
                               cwd=staging, check=True, stdout=subprocess.DEVNULL)
        if msi:
            (self.folder / (SETUP + ".msi")).write_bytes(b"installer database")
        if splash:
            (self.folder / "setup.bmp").write_bytes(setupfiles.bitmap(*splash))

    def support_folders(self):
        return sorted(p.name for p in self.session.temp.iterdir() if p.name.startswith("keb"))

    def temp_entries(self):
        return sorted(p.name for p in self.session.temp.iterdir())

    def run_with_box(self, *args, screenshot=None, inspect=None):
        """Runs the setup, reads its message box, clicks OK; returns (text, exit code)."""
        process = self.session.start(self.exe, *args)
        text = self.ui.message_box("Orvanta", timeout_ms=30000)
        if text is None:
            shot = self.session.screenshot(self.session.name + "-no-message-box.png")
            ended = process.poll() is not None
            raise AssertionError(f"no message box (setup {'ended' if ended else 'still running'}; screen: {shot})")
        if inspect:
            inspect()
        if screenshot:
            self.session.screenshot(screenshot)
        check(self.ui.click("Orvanta", "OK"), "the OK button of the message box")
        return text, self.session.finish(process)


def engine_alone(s):
    """An engine with nothing appended is for internal use only; silent it just ends, exit code 11 either way."""
    s.make_setup(payload=b"", res=False, msi=False)
    text, code = s.run_with_box()
    equal(text, "For internal use only", "message")
    equal(code, 11, "exit code")

    # The UI driver also sets texts and clicks by control id.
    process = s.session.start(s.exe)
    check(s.ui.set_text("Orvanta", "For internal use only", "read back"), "setting the box's text")
    equal(s.ui.message_box(), "read back", "text set through the UI driver")
    check(s.ui.click("Orvanta", "#1"), "clicking OK by its id")
    equal(s.session.finish(process), 11, "exit code after clicking by id")
    equal(s.session.run(s.exe, "/s", timeout=30), 11, "silent exit code")
    equal(s.temp_entries(), [], "temporary folder")


def missing_resource(s):
    """No ".res": message 2, an empty keb1 stays; the next run takes keb2."""
    s.make_setup(res=False, splash=(400, 300))
    (s.session.temp / "unrelated").mkdir()
    geometry = {}

    def look_at_windows():
        geometry["rect"] = s.ui.rect(PREPARING_CAPTION)
        geometry["controls"] = s.ui.controls(PREPARING_CAPTION)

    text, code = s.run_with_box(screenshot="startup-preparing-over-splash.png", inspect=look_at_windows)
    equal(text, "Setup resource not found", "message")
    equal(code, 11, "exit code: the setup did not start")
    equal(s.support_folders(), ["keb1"], "support folders")
    equal(list((s.session.temp / "keb1").iterdir()), [], "contents of keb1")

    # The preparing window sits below and right of the centred 400 x 300 splash.
    splash_left, splash_top = (winehost.SCREEN[0] - 400) // 2, (winehost.SCREEN[1] - 300) // 2
    left, top, _, _, client_width, client_height = geometry["rect"]
    equal((left, top), (splash_left + 200 + 50, splash_top + 300 + 25), "preparing window position")
    equal((client_width, client_height), (385, 89), "client size of the preparing window")
    classes = [c.lower() for c, _, _ in geometry["controls"]]
    check("msctls_progress32" in classes, "a progress bar in the preparing window")
    texts = [t for _, _, t in geometry["controls"]]
    check(any("is preparing the Orvanta" in t for t in texts), "the preparing text: %r" % texts)

    text, code = s.run_with_box()
    equal(text, "Setup resource not found", "second message")
    equal(s.support_folders(), ["keb1", "keb2"], "support folders after the second run")


def high_dpi(s):
    """At 144 dots per inch the engine, DPI aware by its manifest, lays out its
    preparing window one and a half times as large: Windows no longer stretches it."""
    s.make_setup(res=False)
    s.session.wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144",
                   "/f", check=True)
    rect = {}
    text, _ = s.run_with_box(inspect=lambda: rect.setdefault("r", s.ui.rect(PREPARING_CAPTION)))
    equal(text, "Setup resource not found", "message")
    equal(rect["r"][4:], (578, 134), "client size of the preparing window (385 x 89 at 96 dots per inch)")


def missing_database(s):
    """Neither ".msi" nor ".msp": message 4. A tall splash pulls the preparing window up."""
    s.make_setup(msi=False, splash=(300, 700))
    rect = {}
    text, code = s.run_with_box(inspect=lambda: rect.setdefault("r", s.ui.rect(PREPARING_CAPTION)))
    equal(text, "Setup database not found", "message")
    equal(code, 11, "exit code: the setup did not start")
    _, top, _, height, _, _ = rect["r"]
    equal(top + height, winehost.SCREEN[1] - 45, "bottom edge of the preparing window")
    equal(s.support_folders(), ["keb1"], "support folders")
    equal((s.session.temp / "keb1" / "welcome.dfm").read_bytes(), WELCOME_FORM, "file unpacked from the .res")


def damaged_resource(s):
    """A ".res" that is no archive: message 3, the support folder stays."""
    s.make_setup(res=False)
    (s.folder / (SETUP + ".res")).write_bytes(b"7z\xbc\xaf\x27\x1c but cut short")
    text, code = s.run_with_box()
    equal(text, "Setup resource decompression failure", "message")
    equal(code, 11, "exit code: the setup did not start")
    equal(s.support_folders(), ["keb1"], "support folders")


def bad_media_mode(s):
    """A payload whose item 14 is not a number: runtime error, exit code 11, no folder left."""
    s.make_setup(payload=setupfiles.payload([DIALOG], media_mode="two"))
    text, code = s.run_with_box()
    check(text is not None and text.startswith("Runtime error in install: "), "runtime error text: %r" % text)
    equal(code, 11, "exit code")
    equal(s.temp_entries(), [], "temporary folder")
    equal(s.session.run(s.exe, "/s", timeout=30), 11, "silent exit code")


def valid_setup(s):
    """A complete setup reaches the script, removes its support folder and exits 0."""
    s.make_setup(splash=(200, 150))
    (s.session.temp / "keb1").mkdir()
    started = time.monotonic()
    equal(s.session.run(s.exe, timeout=60), 0, "exit code")
    elapsed = time.monotonic() - started
    equal(s.temp_entries(), ["keb1"], "temporary folder (keb2 removed, keb1 untouched)")
    equal(s.session.run(s.exe, "/S", "TARGETDIR=C:\\Dest", timeout=60), 0, "silent exit code")
    equal(s.temp_entries(), ["keb1"], "temporary folder after the silent run")
    print(f"interactive run took {elapsed:.2f} s")


def script_exit_code(s):
    """The script's "Terminate with Exit Code" becomes the process exit code, all 32 bits."""
    terminate = ("Terminate with Exit Code", "{0C9A8E7E-1B5B-4B8E-9E4A-5D2F1C000002}", ["-2147024891"], False)
    s.make_setup(payload=setupfiles.payload([terminate]))
    equal(s.session.run(s.exe, "/s", timeout=60), 0x80070005, "silent exit code")
    equal(s.temp_entries(), [], "temporary folder")
    equal(s.session.run(s.exe, timeout=60), 0x80070005, "interactive exit code")


def failing_check(s):
    """A script the engine's check refuses runs none of its commands and ends as a failure a deployment tool
    sees: exit code 1603, and the check's reason in the /m= log of a silent run, in a box otherwise."""
    written = ("Write to Text File", "{0C9A8E7E-1B5B-4B8E-9E4A-5D2F1C000003}", ["$TEMPDIR$ran.txt", "ran", "FALSE"],
               False)
    unclosed = ("If", "{0C9A8E7E-1B5B-4B8E-9E4A-5D2F1C000004}", ["TITLE", "0", "x"], False)
    s.make_setup(payload=setupfiles.payload([written, unclosed]))
    log = s.session.drive_c / "check.log"
    equal(s.session.run(s.exe, "/s", "/m=" + s.session.windows_path(log), timeout=60), 1603, "silent exit code")
    logged = log.read_bytes().decode("utf-16-le") if log.exists() else ""
    check("Orvanta: Runtime error in setup script: Line 2: Insufficient END statements\r\n" in logged,
          f"the check's reason in the log: {logged!r}")
    check(not (s.session.temp / "ran.txt").exists(), "no command ran")
    text, code = s.run_with_box()
    check("Line 2: Insufficient END statements" in (text or ""), f"the check's reason in the box: {text!r}")
    equal(code, 1603, "interactive exit code")
    check(not (s.session.temp / "ran.txt").exists(), "no command ran with windows either")
    equal(s.temp_entries(), [], "temporary folder")


def translated_messages(s):
    """The message file appended to keb.dll replaces the built-in texts."""
    s.make_setup(res=False, keb_messages=["Bitte Common Controls installieren.", "Setup-Ressource fehlt"])
    text, code = s.run_with_box()
    equal(text, "Setup-Ressource fehlt", "message")
    equal(code, 11, "exit code: the setup did not start")
    equal(s.support_folders(), ["keb1"], "support folders")


def bad_input(s):
    """Damaged setups end with exit code 11 and never crash."""
    whole = setupfiles.payload([DIALOG])
    cases = {
        "truncated payload": whole[: len(whole) // 2],
        "binary payload": bytes(range(256)) * 4,
    }
    for what, payload in cases.items():
        s.make_setup(payload=payload)
        equal(s.session.run(s.exe, "/s", timeout=30), 11, what + ": exit code")
        equal(s.temp_entries(), [], what + ": temporary folder")
        text, code = s.run_with_box()
        check(text and text.startswith("Runtime error in install: "), what + ": message %r" % text)
        equal(code, 11, what + ": interactive exit code")

    s.make_setup()
    (s.folder / "keb.dll").unlink()
    text, code = s.run_with_box()
    check(text and "keb.dll" in text, "missing library message: %r" % text)
    check(says_why(text, "is missing or cannot be loaded. "), "missing library message with its reason: %r" % text)
    equal(code, 11, "missing library: exit code")
    equal(s.temp_entries(), [], "missing library: temporary folder")


def unusable_temp_folder(s):
    """TEMP naming a file: reported, exit code 11, nothing written."""
    s.make_setup()
    blocker = s.session.drive_c / "blocked-temp"
    blocker.write_bytes(b"a file, not a folder")
    for name in ("TEMP", "TMP"):
        s.session.reg_add(r"HKCU\Environment", name, s.session.windows_path(blocker))
    text, code = s.run_with_box()
    check(text and text.startswith("Runtime error in install: "), "message %r" % text)
    check(says_why(text, "cannot be created. "), "message with the system's reason: %r" % text)
    equal(code, 11, "exit code")
    equal(s.session.run(s.exe, "/s", timeout=30), 11, "silent exit code")


def held_installer_package(s):
    """A package another program holds cannot be copied: the message says why, exit code 11."""
    s.make_setup()
    package = s.folder / (SETUP + ".msi")
    holder = s.session.start(s.engine / "holdfile.exe", s.session.windows_path(package), "60")
    deadline = time.monotonic() + 30
    while not package.with_name(package.name + ".held").exists():
        check(time.monotonic() < deadline and holder.poll() is None, "the helper holds the package")
        time.sleep(0.1)
    try:
        text, code = s.run_with_box()
    finally:
        package.with_name(package.name + ".release").write_text("")
        equal(s.session.finish(holder, timeout=60), 0, "exit code of the helper")
    prefix = "Runtime error in install: Cannot copy " + s.session.windows_path(package) + " to "
    check(text and text.startswith(prefix), "message %r" % text)
    print("message:", text)
    check(says_why(text, "\\" + SETUP + ".msi: "), "message with the system's reason: %r" % text)
    equal(code, 11, "exit code")
    equal(s.support_folders(), [], "support folders")


def planted_libraries(s):
    """Libraries a web page could drop beside a downloaded setup, named after system
    libraries the engine and keb.dll use, are never loaded: the setup runs as usual."""
    s.make_setup(splash=(200, 150))
    planted = s.engine / "plantedlibrary.dll"
    for name in ("version.dll", "comctl32.dll", "bcrypt.dll"):
        shutil.copy(planted, s.folder / name)
    # Windows takes the first file of the name on the search path; Wine does so
    # for these only when told to, and otherwise prefers its own builtin copies.
    s.session.env["WINEDLLOVERRIDES"] += ";version,comctl32,bcrypt=n,b"

    def take_markers():
        """Names of the planted libraries loaded since the last call."""
        found = sorted(s.folder.glob("*.loaded"))
        for marker in found:
            marker.unlink()
        return [marker.name.lower() for marker in found]

    # The baseline: what a program that imports only user32 loads from its folder.
    # Wine's own user32 imports version.dll, so under Wine that one is loaded by
    # any window program; on Windows the baseline is empty.
    baseline_program = s.folder / "baseline.exe"
    shutil.copy(s.engine / "uidriver.exe", baseline_program)
    s.session.wine(str(baseline_program), "wait", "no such window", "0", timeout=60)
    baseline = take_markers()
    print(f"planted libraries any window program loads here: {baseline}")
    check(set(baseline) <= {"version.dll.loaded"}, "baseline markers %r" % baseline)

    equal(s.session.run(s.exe, "/s", timeout=60), 0, "silent exit code")
    equal(take_markers(), baseline, "planted libraries loaded by a silent run")
    # Building the dialog windows, Wine's own shell32 calls the version
    # functions through the version.dll its user32 took from the setup's folder
    # at start (the baseline above; Windows' user32 does not import it). The
    # stand-in exports none of them, so for this run Wine keeps to its own.
    s.session.env["WINEDLLOVERRIDES"] += ";version=b"
    equal(s.session.run(s.exe, timeout=60), 0, "exit code")
    equal(take_markers(), [], "planted libraries loaded by a run with windows")
    equal(s.temp_entries(), [], "temporary folder")

    # The stand-in does leave its marker when a program loads it.
    shutil.copy(planted, s.folder / "probe.dll")
    s.session.wine("rundll32", s.session.windows_path(s.folder / "probe.dll") + ",VerQueryValueA", timeout=60)
    equal(take_markers(), ["probe.dll.loaded"], "markers after loading the stand-in on purpose")


def orvanta_sample(s):
    """The sample setup as orvanta builds it starts, hands over to its script and cleans up."""
    if not s.orvanta or not Path(s.orvanta).exists():
        raise winehost.SkipScenario("orvanta is not built")
    built = s.orvanta_build(scenario.SOURCE / "examples" / "sample", s.session.prefix / "orvanta-out")
    shutil.copytree(built, s.folder, dirs_exist_ok=True)
    shutil.copy(s.engine / "keb.dll", s.folder)
    equal(s.session.run(s.folder / "sample.exe", "/s", timeout=120), 0, "silent exit code")
    equal(s.support_folders(), [], "support folders")
    # The sample script's own report proves that the script ran.
    check((s.session.temp / "orvanta-sample.txt").exists(), "the sample script's report in TEMP")


SCENARIOS = {f.__name__: f for f in (engine_alone, failing_check, missing_resource, high_dpi, missing_database, damaged_resource,
                                     orvanta_sample, bad_media_mode, script_exit_code,
                                     valid_setup, translated_messages, bad_input, unusable_temp_folder,
                                     held_installer_package, planted_libraries)}


if __name__ == "__main__":
    sys.exit(scenario.main("startup", SCENARIOS, Scenario,
                           programs=("kebstub.exe", "keb.dll", "uidriver.exe", "plantedlibrary.dll", "holdfile.exe"),
                           needs_orvanta=False))
