"""End-to-end scenarios of the wizard dialogs under Wine: forms built into
real windows, walked with the UI driver as a user would.

usage: dialogs_e2e.py --builds DIR --work-dir DIR --orvanta PATH SCENARIO
Exit code 77 means skipped.
"""

import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import formoracle  # noqa: E402
import screenshots  # noqa: E402
import scenario  # noqa: E402
import winehost  # noqa: E402
from scenario import SOURCE, check, equal  # noqa: E402

HEADER = dict(title="Dialog Test", product_code="{7D1C3B2A-1F4E-4A6B-9C8D-7E6F5A4B3C2E}",
              revision_code="{8E1D4C3B-2A5F-4B7C-8D9E-0F1A2B3C4D5F}", values="Support = support\n")


def display(form, result, modal="TRUE", condition="", skip_when="FALSE"):
    return (f"Display Dialog\n  | {form}\n  | {result}\n  | {modal}\n  | {condition}\n  | TRUE\n"
            f"  | {skip_when}\n")


def report(text):
    return f"Write to Text File\n  | $TEMPDIR$dialogs.txt\n  | {text}\n  | FALSE\n"


WIZARD_SCRIPT = ("Wizard Loop\n" + display("one", "R1", modal="FALSE") + display("two", "R2") +
                 display("three", "R3") + "End\n" + report("$R1$ $R2$ $R3$ $WINDOWHANDLE$"))

MODELESS_SCRIPT = ("Set Variable\n  | SKIPME\n  | TRUE\n" +
                   display("three", "SKIPPED", condition="$SKIPME$", skip_when="TRUE") +
                   display("progress", "R", modal="FALSE") + report("$R$ $WINDOWHANDLE$") +
                   "Hide Dialog\n" + report("$WINDOWHANDLE$ $SKIPPED$"))


def page(name, caption, width, height, buttons, extra=""):
    """A text form: a heading label and buttons given as (name, caption, tag)."""
    text = (f"object {name}: TForm\n  Left = 0\n  Top = 0\n  BorderStyle = bsDialog\n"
            f"  Caption = '{caption}'\n  ClientHeight = {height}\n  ClientWidth = {width}\n"
            "  Color = clWhite\n  Font.Height = -11\n  Font.Name = 'Tahoma'\n  PixelsPerInch = 96\n"
            "  TextHeight = 13\n"
            f"  object Heading: TLabel\n    Left = 16\n    Top = 16\n    Width = 300\n    Height = 13\n"
            f"    Caption = 'This is {caption} of $TITLE$'\n  end\n" + extra)
    for order, (button, label, tag) in enumerate(buttons):
        left = width - 90 * (len(buttons) - order)
        text += (f"  object {button}: TButton\n    Left = {left}\n    Top = {height - 40}\n    Width = 80\n"
                 f"    Height = 25\n    Caption = '{label}'\n    Tag = {tag}\n    TabOrder = {order}\n  end\n")
    return text + "end\n"


NAVIGATION = [("BackButton", "< Back", 2), ("NextButton", "Next >", 1), ("CancelButton", "Cancel", 3)]
FORMS = {
    "one": page("PageOne", "Page One", 420, 260, NAVIGATION),
    "two": page("PageTwo", "Page Two", 420, 260, NAVIGATION),
    "three": page("PageThree", "Page Three", 520, 320, [("BackButton", "< Back", 2), ("finish", "Finish", 5)]),
    "progress": page("Progress", "Progress Page", 420, 200, [("CancelButton", "Cancel", 3)], extra=(
        "  object Status: TStaticText\n    Left = 16\n    Top = 60\n    Width = 380\n    Height = 17\n"
        "    AutoSize = False\n    Tag = 1\n  end\n"
        "  object Bar: TProgressBar\n    Left = 16\n    Top = 90\n    Width = 380\n    Height = 17\n"
        "    Tag = 1\n  end\n")),
}


class Scenario(scenario.Scenario):
    def __init__(self, session, engine, orvanta, work):
        super().__init__(session, engine, orvanta, work)
        self.folder.mkdir()

    def build(self, name, script, forms, pascal_forms=(), support_files=None, binary_files=None):
        """Builds the setup; forms named in pascal_forms go in compiled by Free Pascal, the rest as text;
        support_files (name: text) and binary_files (name: bytes) join the support folder."""
        files = {"product.msi": b"installer database"}
        for form, text in forms.items():
            files[f"support/{form}.dfm.kebf"] = ""
            if form not in pascal_forms:
                files[f"support/{form}.dfm"] = text
        for file, content in {**(support_files or {}), **(binary_files or {})}.items():
            files["support/" + file] = content
        project = self.project(name, scenario.project_header(name, **HEADER) + script, files)
        for form in pascal_forms:
            source = project / (form + ".txt")
            source.write_text(forms[form])
            formoracle.compile_form(self.work, source, project / "support" / (form + ".dfm"))
        return self.orvanta_build(project) / (name + ".exe")

    def results(self):
        return self.report("dialogs.txt")

    def visible(self, caption, timeout_ms=1500):
        return self.ui.wait(caption, timeout_ms=timeout_ms)


def wizard_walk(s):
    """Next, Next, Back, Next, a custom exit: results, direction, placement and the ignored close request."""
    exe = s.build("wizard", WIZARD_SCRIPT, FORMS, pascal_forms=("two",))
    process = s.session.start(exe)
    check(s.visible("Page One", 30000), "the first page appears")
    s.session.screenshot("wizard-page-one.png")
    check(s.ui.move("Page One", 40, 50), "the user moves the first page")
    check(s.ui.click("Page One", "Next >"), "Next on page one")
    check(s.visible("Page Two", 15000), "the second page appears")
    left, top, *_ = s.ui.rect("Page Two")
    equal((left, top), (40, 50), "the page of the same size appears where the first was left")
    check(not s.visible("Page One", 300), "the first page is gone")
    s.session.screenshot("wizard-page-two.png")

    check(s.ui.close("Page Two"), "a close request")
    time.sleep(1)
    check(s.visible("Page Two"), "the close request is ignored")

    check(s.ui.click("Page Two", "< Back"), "Back on page two")
    check(s.visible("Page One", 15000), "back to the first page")
    check(s.ui.click("Page One", "Next >"), "Next on page one again")
    check(s.visible("Page Two", 15000), "the second page again")
    check(s.ui.click("Page Two", "Next >"), "Next on page two")
    check(s.visible("Page Three", 15000), "the third page appears")
    left, top, width, height, *_ = s.ui.rect("Page Three")
    screen_width, screen_height = winehost.SCREEN
    check(abs(left - (screen_width - width) // 2) <= 1 and abs(top - (screen_height - height) // 2) <= 1,
          f"a page of another size is centred: {left},{top} {width}x{height}")
    s.session.screenshot("wizard-page-three.png")
    check(s.ui.click("Page Three", "Finish"), "the custom exit")
    equal(s.session.finish(process, timeout=60), 0, "exit code")
    equal(s.results(), ["NEXT NEXT FINISH 0"], "result variables and the loop's end")


def silent_wizard(s):
    """A silent run stores NEXT for every dialog and walks the loop forward, showing nothing."""
    exe = s.build("silent", WIZARD_SCRIPT, FORMS)
    equal(s.session.run(exe, "/s", timeout=120), 0, "exit code")
    equal(s.results(), ["NEXT NEXT NEXT 0"], "every dialog answered NEXT")


def modeless_and_hide(s):
    """A modeless dialog stores NOTMODAL and its window; Hide Dialog removes it; a skipped dialog changes nothing."""
    exe = s.build("modeless", MODELESS_SCRIPT, FORMS)
    equal(s.session.run(exe, timeout=120), 0, "exit code")
    shown, hidden = s.results()
    result, window = shown.split()
    equal(result, "NOTMODAL", "the modeless result")
    check(int(window) != 0, "WINDOWHANDLE names the window: " + window)
    equal(hidden, "0 $SKIPPED$", "WINDOWHANDLE after Hide Dialog; the skipped dialog defined no variable")


def worker_progress(s):
    """Progress set on a worker thread reaches the dialog on screen, 3,000,000,000 scaled for the bar; cancel asks first."""
    support = s.session.drive_c / "runner"
    support.mkdir()
    (support / "progress.txt").write_text(FORMS["progress"])
    subprocess.run([s.orvanta, "form", str(support / "progress.txt"), "-o", str(support / "progress.dfm")], check=True)
    (support / "progress.dfm.kebf").write_text("")
    runner = s.engine / "dialogrunner.exe"
    out = s.session.prefix / "runner.out"
    with open(out, "wb") as sink:
        process = subprocess.Popen([s.session.path.loader, str(runner), "C:\\runner\\progress.dfm", "3000000000"],
                                   env=s.session.env, stdout=sink, stderr=subprocess.STDOUT)
        try:
            check(s.visible("Progress Page", 30000), "the progress page appears")
            bars = None
            deadline = time.monotonic() + 15
            while time.monotonic() < deadline:
                bars = s.ui.progress("Progress Page")
                if bars and bars[0][1] != 100:
                    break
                time.sleep(0.5)
            equal(bars, [(0, 2929687, 1464843)], "range and position divided by 1024")
            texts = [text for cls, _, text in s.ui.controls("Progress Page") if text == "Copying files"]
            equal(texts, ["Copying files"], "the progress text")
            s.session.screenshot("worker-progress.png")
            check(s.ui.click("Progress Page", "Cancel"), "Cancel")
            equal(s.ui.message_box("Orvanta"), "Are you sure you want to cancel?", "the question")
            check(s.ui.click("Orvanta", "#6"), "Yes")
            process.wait(timeout=60)
        finally:
            if process.poll() is None:
                process.kill()
    lines = [line for line in out.read_text(errors="replace").splitlines() if "=" in line or line == "shown"]
    equal(lines, ["shown", "cancelled visible=1", "hidden visible=0"],
          "cancel leaves the modeless dialog on screen; hiding removes it")


def modeless_cancel(s):
    """Cancel then Yes on a modeless page while a program runs: the page stays, the next command sees ABORT TRUE."""
    helpers = s.session.drive_c / "helpers"
    helpers.mkdir()
    shutil.copy(s.engine / "exitcode.exe", helpers / "exitcode.exe")
    script = (display("progress", "R", modal="FALSE") +
              "Run Program\n  | C:\\helpers\\exitcode.exe\n  | FALSE\n  | 0 C:\\ran.txt 6000\n  | TRUE\n  | CODE\n" +
              report("$ABORT$ $R$ $CODE$"))
    exe = s.build("cancel", script, FORMS)
    process = s.session.start(exe)
    check(s.visible("Progress Page", 30000), "the modeless page")
    check(s.ui.click("Progress Page", "Cancel"), "Cancel")
    equal(s.ui.message_box("Orvanta"), "Are you sure you want to cancel?", "the question")
    check(s.ui.click("Orvanta", "#6"), "Yes")
    time.sleep(0.5)
    check(s.visible("Progress Page"), "the page stays on screen after Yes")
    equal(s.session.finish(process, timeout=60), 0, "exit code")
    equal(s.results(), ["TRUE NOTMODAL 0"], "the cancel flag reaches the script after the program")


def designer_pages(s):
    """Pages as another designer writes them (compiled by Free Pascal): every page shown, each control where its
    form puts it, the panel of an unknown class an empty one holding its controls, and the log naming each property
    and class left out once."""
    designer = (SOURCE / "tests" / "forms" / "designer.txt").read_text()
    script = ("Wizard Loop\n" + display("login", "R1") + display("two", "R2") + "End\n" +
              display("login", "R3") + report("$R1$ $R2$ $R3$ [$ACCOUNT$]"))
    exe = s.build("designer", script, {"login": designer, "two": FORMS["two"]}, pascal_forms=("login",))
    log = s.session.drive_c / "designer.log"
    process = s.session.start(exe, "/m=" + s.session.windows_path(log))
    caption = "Sign in to the setup"
    check(s.visible(caption, 30000), "the designer's page appears")
    s.session.screenshot("designer-login.png")
    rows = [row for row in s.ui.layout(caption) if row["id"] >= 100]

    def one(what, match):
        found = [row for row in rows if match(row)]
        check(len(found) == 1, f"one control for {what}; found {len(found)}")
        return (found[0]["left"], found[0]["top"], found[0]["width"], found[0]["height"])

    card = (12, 44)
    equal(one("the heading", lambda r: r["text"] == "Who installs Dialog Test?"), (12, 12, 220, 18), "the heading")
    equal(one("the placeholder", lambda r: r["class"].lower() == "orvantapanel"), (12, 44, 396, 150),
          "the panel of the unknown class")
    equal(one("the name label", lambda r: r["text"] == "User name:"), (card[0] + 8, card[1] + 12, 120, 16),
          "the label inside the placeholder")
    equal(one("the folder edit", lambda r: r["class"].lower() == "edit" and r["text"].upper().startswith("C:\\")),
          (card[0] + 136, card[1] + 44, 240, 24), "the destination edit inside the placeholder")
    equal(one("Next", lambda r: r["text"] == "&Next >"), (236, 256, 80, 28), "the next button")
    equal(one("Cancel", lambda r: r["text"] == "Cancel"), (328, 256, 80, 28), "the cancel button")
    check(all(row["visible"] for row in rows), "every control of the page is visible")

    check(s.ui.click(caption, "&Next >"), "Next on the designer's page")
    check(s.visible("Page Two", 15000), "the second page appears")
    check(s.ui.click("Page Two", "Next >"), "Next on page two")
    check(s.visible(caption, 15000), "the designer's page again, from the same form")
    check(s.ui.click(caption, "&Next >"), "Next once more")
    equal(s.session.finish(process, timeout=60), 0, "exit code")
    equal(len(s.results()), 1, "the script ran to its end")

    text = log.read_bytes().decode("utf-16-le", errors="replace")
    for line in ("login.dfm: left out TLoginForm LoginForm has no property LCLVersion",
                 "login.dfm: left out TLabel TitleLabel has no property BorderSpacing.Around",
                 "login.dfm: left out unknown class TPanelEx (CardPanel)"):
        equal(text.count(line), 1, f"the log line {line!r} once")
    check("two.dfm" not in text, "nothing logged about a form the engine knows all of")


def broken_form(s):
    """A form file that cannot be read (cut short) ends the start-up with a message naming the form."""
    script = "Wizard Loop\n" + display("one", "R1") + "End\n" + report("never")
    exe = s.build("broken", script, {"one": FORMS["one"]})
    with tempfile.TemporaryDirectory() as staging:
        archive = s.folder / "broken.res"
        subprocess.run(["7zz", "x", "-y", f"-o{staging}", str(archive)], check=True, stdout=subprocess.DEVNULL)
        whole = (Path(staging) / "one.dfm").read_bytes()
        (Path(staging) / "one.dfm").write_bytes(whole[:len(whole) // 2])
        archive.unlink()
        subprocess.run(["7zz", "a", "-t7z", str(archive), "."], cwd=staging, check=True, stdout=subprocess.DEVNULL)
    process = s.session.start(exe)
    text = s.ui.message_box("Orvanta", timeout_ms=30000)
    check(text is not None and text.startswith("Runtime error in install: ") and "one.dfm" in text,
          f"the start-up error names the form: {text!r}")
    check(s.ui.click("Orvanta", "OK"), "OK")
    equal(s.session.finish(process, timeout=60), 11, "exit code")
    check(not (s.session.temp / "dialogs.txt").exists(), "no command runs")


def next_enabled(s, caption):
    return any(row["enabled"] for row in s.ui.layout(caption) if row["text"].replace("&", "") == "Next >")


def check_bold_heading(s, caption, shot, heading):
    """The page's heading (designed bold) is drawn with wider strokes than its body text (regular)."""
    left, top, width, height, client_width, client_height = s.ui.rect(caption)
    border = (width - client_width) // 2
    x0, y0 = left + border, top + height - client_height - border
    rows = {row["text"]: row for row in s.ui.layout(caption)}
    check(heading in rows, f"the heading {heading!r} among {sorted(rows)}")
    body = next(row for row in s.ui.layout(caption) if row["id"] == rows[heading]["id"] + 1)

    def strokes(row):
        return screenshots.stroke_width(shot, x0 + row["left"], y0 + row["top"], row["width"], row["height"])

    bold, regular = strokes(rows[heading]), strokes(body)
    check(bold > 1.3 * regular, f"the heading {heading!r} bold: strokes of {bold:.2f} pixels, the body's {regular:.2f}")


def sample_wizard(s):
    """The sample's wizard, walked by a user: licence accepted through its rule, the features page, another folder,
    installed there."""
    out = s.folder / "sample"
    s.orvanta_build(SOURCE / "examples/sample", out)
    process = s.session.start(out / "sample.exe")
    caption = "Orvanta Sample Setup"
    check(s.visible(caption, 60000), "the welcome page")
    check_bold_heading(s, caption, s.session.screenshot("sample-welcome.png"), "Welcome to the Orvanta Sample Setup")
    check(s.ui.click(caption, "Next >"), "Next on the welcome page")
    time.sleep(1)
    controls = s.ui.controls(caption)
    check(any("Orvanta Sample License" in text for _, _, text in controls), "the licence text")
    s.session.screenshot("sample-license.png")
    check(not next_enabled(s, caption), "Next stays disabled until the licence is accepted")
    check(s.ui.click(caption, "I accept the terms of the license agreement"), "accept the licence")
    time.sleep(0.5)
    check(next_enabled(s, caption), "accepting the licence enables Next through the dialog's rule")
    check(s.ui.click(caption, "Next >"), "Next after accepting")
    time.sleep(1)
    shown = [text for _, _, text in s.ui.controls(caption)]
    check("The program and its readme." in shown, f"the first feature's description: {shown}")
    check("69,632 bytes" in shown, f"the space both features need: {shown}")
    check_bold_heading(s, caption, s.session.screenshot("sample-features.png"), "Features")
    check(s.ui.click(caption, "Next >"), "Next on the features page")
    time.sleep(1)
    edits = [text for cls, _, text in s.ui.controls(caption) if cls.lower() == "edit"]
    check(len(edits) == 1 and edits[0].endswith("Orvanta Sample\\"), f"the destination folder: {edits}")
    s.session.screenshot("sample-folder.png")
    check(s.ui.set_text(caption, edits[0], "C:\\Custom Sample\\"), "another folder")
    check(s.ui.click(caption, "Install"), "Install")
    deadline = time.monotonic() + 120
    while time.monotonic() < deadline and not s.ui.wait(caption, 500):
        time.sleep(0.5)
    finish_seen = False
    while time.monotonic() < deadline:
        rows = s.ui.controls(caption, 2000) or []
        if any(text == "&Finish" or text == "Finish" for _, _, text in rows):
            finish_seen = True
            break
        time.sleep(0.5)
    check(finish_seen, "the finish page")
    check_bold_heading(s, caption, s.session.screenshot("sample-finish.png"), "Orvanta Sample is installed")
    check(s.ui.click(caption, "Finish"), "Finish")
    equal(s.session.finish(process, timeout=120), 0, "exit code")
    check((s.session.drive_c / "Custom Sample" / "readme.txt").exists(), "installed into the chosen folder")
    check((s.session.drive_c / "Custom Sample" / "docs" / "guide.txt").exists(), "with the documentation feature")

def choose_unavailable(s, caption, path):
    """Clicks the icon of the feature tree's item, left of its text, and picks "Entire feature will be
    &unavailable" from its menu by its key."""
    _, (left, top, _, bottom) = s.ui.tree_items(caption)[path]
    subprocess.run(["xdotool", "mousemove", str(left - 10), str((top + bottom) // 2), "click", "1"], env=s.session.env,
                   check=True)
    time.sleep(1)
    subprocess.run(["xdotool", "key", "u"], env=s.session.env, check=True)
    time.sleep(0.5)


def required_feature(s):
    """The sample's wizard with its Program feature required (the fourth parameter of "Define Component"): the
    tree shows it selected and required, its menu's "unavailable" leaves it so while the same choice deselects
    the optional Documentation, and the installation brings the program's files without the documentation."""
    if not shutil.which("xdotool"):
        raise winehost.SkipScenario("xdotool is needed to click into the tree")
    project = s.sample_project("required")
    source = (project / "project.orv").read_text(encoding="latin-1")
    program = "Define Component\n  | Program\n  | TRUE\n  | The program and its readme.\n"
    check(program in source, "the sample defines its Program feature")
    (project / "project.orv").write_text(source.replace(program, program + "  | TRUE\n"), encoding="latin-1")
    out = s.folder / "required"
    s.orvanta_build(project, out)
    process = s.session.start(out / "sample.exe")
    caption = "Orvanta Sample Setup"
    check(s.visible(caption, 60000), "the welcome page")
    check(s.ui.click(caption, "Next >"), "Next on the welcome page")
    time.sleep(1)
    check(s.ui.click(caption, "I accept the terms of the license agreement"), "accept the licence")
    time.sleep(0.5)
    check(s.ui.click(caption, "Next >"), "Next after accepting")
    time.sleep(1)
    images = {path: image for path, (image, _) in (s.ui.tree_items(caption) or {}).items()}
    # Images: 6 selected and required, 1 selected, 0 not.
    equal(images, {"Program": 6, "Documentation": 1}, "the features as the tree shows them")
    s.session.screenshot("required-feature.png")
    choose_unavailable(s, caption, "Program")
    s.session.screenshot("required-feature-kept.png")
    equal(s.ui.tree_items(caption)["Program"][0], 6, "the required feature after choosing unavailable")
    choose_unavailable(s, caption, "Documentation")
    s.session.screenshot("required-feature-optional-off.png")
    equal(s.ui.tree_items(caption)["Documentation"][0], 0, "the optional feature after choosing unavailable")
    check(s.ui.click(caption, "Next >"), "Next on the features page")
    time.sleep(1)
    edits = [text for cls, _, text in s.ui.controls(caption) if cls.lower() == "edit"]
    check(len(edits) == 1, f"the destination folder: {edits}")
    check(s.ui.set_text(caption, edits[0], "C:\\Required Sample\\"), "another folder")
    check(s.ui.click(caption, "Install"), "Install")
    deadline = time.monotonic() + 120
    while time.monotonic() < deadline and not any(text in ("&Finish", "Finish")
                                                  for _, _, text in s.ui.controls(caption, 2000) or []):
        time.sleep(0.5)
    check(s.ui.click(caption, "Finish"), "Finish")
    equal(s.session.finish(process, timeout=120), 0, "exit code")
    target = s.session.drive_c / "Required Sample"
    check((target / "readme.txt").exists(), "the required feature's file is installed")
    check(not (target / "docs" / "guide.txt").exists(), "the deselected feature's file is not")


def sample_high_dpi(s):
    """The sample's wizard at 144 dots per inch: the welcome page one and a half times its design, its
    heading still bold; the screenshot shows it."""
    s.session.wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144",
                   "/f", check=True)
    out = s.folder / "sample"
    s.orvanta_build(SOURCE / "examples/sample", out)
    process = s.session.start(out / "sample.exe")
    caption = "Orvanta Sample Setup"
    check(s.visible(caption, 60000), "the welcome page")
    equal(s.ui.rect(caption)[4:], (734, 470), "the client area of 489 x 313 at 144 dots per inch")
    layout = {row["text"].replace("&", ""): row for row in s.ui.layout(caption)}
    for text, designed in (("Welcome to the Orvanta Sample Setup", (24, 20, 441, 19)), ("Next >", (300, 276, 80, 25)),
                           ("Cancel", (392, 276, 80, 25))):
        left, top, width, height = designed
        equal((layout[text]["left"], layout[text]["top"], layout[text]["width"], layout[text]["height"]),
              (int(left * 1.5 + 0.5), int(top * 1.5 + 0.5), int((left + width) * 1.5 + 0.5) - int(left * 1.5 + 0.5),
               int((top + height) * 1.5 + 0.5) - int(top * 1.5 + 0.5)), f"{text!r} at 144 dots per inch")
    check_bold_heading(s, caption, s.session.screenshot("sample-high-dpi.png"), "Welcome to the Orvanta Sample Setup")
    check(s.ui.click(caption, "Cancel"), "Cancel")
    check(s.ui.message_box("Orvanta") is not None, "the cancel question")
    check(s.ui.click("Orvanta", "#6"), "Yes")
    s.session.finish(process, timeout=60)


def sample_in_german(s):
    """The sample's wizard in German: the forms' texts come from the project's German translations."""
    out = s.folder / "sample"
    s.orvanta_build(SOURCE / "examples/sample", out)
    process = s.session.start(out / "sample.exe", "LANGUAGE=German")
    caption = "Orvanta Sample Setup"
    check(s.visible(caption, 60000), "the welcome page")
    shown = [text for _, _, text in s.ui.controls(caption)]
    for text in ("Willkommen beim Setup von Orvanta Sample", "&Weiter >", "Abbrechen"):
        check(text in shown, f"{text!r} on the welcome page: {shown}")
    s.session.screenshot("sample-german.png")
    check(s.ui.click(caption, "Abbrechen"), "Cancel in German")
    question = s.ui.message_box("Orvanta")
    check(question and question != "Are you sure you want to cancel?", f"the engine asks in German: {question!r}")
    check(s.ui.click("Orvanta", "#6"), "Yes")
    s.session.finish(process, timeout=60)
    check(not (s.session.drive_c / "Program Files" / "Orvanta Sample").exists(), "nothing installed")


CONTENT_SCRIPT = (
    "Define Component\n  | Tools\n  | TRUE\n  | Tools for everyone\n"
    "Define Component\n  | Tools\\Help\n  | TRUE\n  | Help for the tools\n"
    "Define Component\n  | Docs\n  | FALSE\n  | Documents\n"
    "Set Component Space\n  | Tools\n  | 2097152\n"
    "Wizard Loop\n" + display("content", "R") + "End\n"
    "Get Component State\n  | Tools\n  | TOOLS\n"
    "Get Component State\n  | Tools\\Help\n  | HELP\n"
    "Get Component State\n  | Docs\n  | DOCS\n" + report("$R$ $TOOLS$ $HELP$ $DOCS$"))

CONTENT_FORM = page("Content", "Content Page", 480, 240, [("NextButton", "Next >", 1)], extra=(
    "  object Frame: THTMLViewer\n    Left = 8\n    Top = 40\n    Width = 300\n    Height = 150\n    Tag = 1\n  end\n"
    "  object Features: TCheckListBox\n    Left = 320\n    Top = 40\n    Width = 150\n    Height = 80\n"
    "    Tag = 1\n  end\n"
    "  object Needed: TStaticText\n    Left = 320\n    Top = 130\n    Width = 150\n    Height = 17\n"
    "    AutoSize = False\n    Tag = 4\n  end\n"))

START_PAGE = ("<html><head><title>Start Page</title><meta http-equiv=\"refresh\" content=\"10; url=page2.htm\">"
              "</head><body><h1>Welcome heading</h1><p>Some <b>bold</b> and <i>italic</i> words.</p>"
              "<ul><li>first point<li>second point</ul><p><a href=\"http://example.invalid/\">a link</a></p>"
              "<p><img src=\"logo.png\" alt=\"LOGO-ALT\"> <img src=\"missing.png\" alt=\"MISSING-ALT\"></p>"
              "</body></html>")
SECOND_PAGE = "<html><head><title>Second Page</title></head><body><p>Second page text</p></body></html>"


def rich_text(s, caption):
    return "".join(text for cls, _, text in s.ui.controls(caption) or [] if cls.lower().startswith("richedit"))


def content_and_features(s):
    """The HTML frame shows the support page with its PNG picture and follows its refresh; the feature list writes
    the component states and the size text follows."""
    project_files = {"index.htm": START_PAGE, "page2.htm": SECOND_PAGE}
    logo = s.session.prefix / "logo.png"
    subprocess.run(["convert", "-size", "40x20", "xc:#00A000", str(logo)], check=True)
    exe = s.build("content", CONTENT_SCRIPT, {"content": CONTENT_FORM}, support_files=project_files,
                  binary_files={"logo.png": logo.read_bytes()})
    process = s.session.start(exe)
    check(s.visible("Content Page", 30000), "the content page appears")
    shown = rich_text(s, "Content Page")
    for words in ("Welcome heading", "Some bold and italic words.", "first point", "a link", "MISSING-ALT"):
        check(words in shown, f"{words!r} in the frame: {shown!r}")
    check("LOGO-ALT" not in shown, f"the PNG picture shows instead of its alternative text: {shown!r}")
    needed = [row["text"] for row in s.ui.layout("Content Page") if row["class"].lower() == "static"
              and "KB" in row["text"]]
    equal(needed, ["2,048 KB"], "the space the selected components need")
    pixel = screenshots.screen_pixels(s.session.screenshot("content-page.png"))
    left, top, width, height, client_width, client_height = s.ui.rect("Content Page")
    x0, y0 = left + (width - client_width) // 2, top + height - client_height - (width - client_width) // 2
    green = [(x, y) for x in range(8, 308, 4) for y in range(40, 190, 4)
             if all(abs(a - e) <= 8 for a, e in zip(pixel(x0 + x, y0 + y), (0, 160, 0)))]
    check(green, "the PNG picture's green is in the frame")

    if shutil.which("xdotool"):
        left, top, width, height, client_width, client_height = s.ui.rect("Content Page")
        border = (width - client_width) // 2
        x, y = left + border + 320 + 2 + 8, top + height - client_height - border + 40 + 2 + 7
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], env=s.session.env, check=True)
        time.sleep(0.5)
        needed = [row["text"] for row in s.ui.layout("Content Page") if row["class"].lower() == "static"
                  and row["text"].endswith(("KB", "bytes"))]
        equal(needed, ["0 bytes"], "nothing needed once Tools is unchecked")
    check(s.visible("Second Page", 20000), "the refresh loads the second page, whose title becomes the caption")
    check("Second page text" in rich_text(s, "Second Page"), "the second page's text")
    s.session.screenshot("content-second-page.png")
    check(s.ui.click("Second Page", "Next >"), "Next")
    equal(s.session.finish(process, timeout=60), 0, "exit code")
    states = "FALSE FALSE FALSE" if shutil.which("xdotool") else "TRUE TRUE FALSE"
    equal(s.results(), ["NEXT " + states], "the components the feature list left selected")


FIELDS_SCRIPT = (
    "Set Variable\n  | TARGETDIR\n  | C:\\Program Files\\Acme\\Tool\\\n"
    "Define Component\n  | Tools\n  | TRUE\n  | Tools for everyone\n"
    "Define Component\n  | Tools\\Help\n  | TRUE\n  | Help for the tools\n"
    "Define Component\n  | Toolbox\n  | TRUE\n  | A box of tools\n"
    "Set Component Space\n  | Tools\n  | 2097152\n"
    "Set Component Space\n  | Toolbox\n  | 512\n"
    "Wizard Loop\n" + display("fields", "R") + "End\n"
    "Get Component State\n  | Tools\n  | TOOLS\n"
    "Get Component State\n  | Tools\\Help\n  | HELP\n"
    "Get Component State\n  | Toolbox\n  | TOOLBOX\n" +
    report("$R$|$CODE$|$NAME$|$AGREE$|$SMALL$|$LARGE$|$TARGETDIR$|$TOOLS$ $HELP$ $TOOLBOX$"))


def control(name, cls, left, top, width, height, props):
    return (f"  object {name}: {cls}\n    Left = {left}\n    Top = {top}\n    Width = {width}\n"
            f"    Height = {height}\n" + "".join(f"    {p}\n" for p in props) + "  end\n")


FIELDS_FORM = page("Fields", "Fields Page", 520, 300, [("NextButton", "Next >", 1), ("CancelButton", "Cancel", 3)],
                   extra=(
    control("Code", "TEdit", 16, 40, 80, 21, ["Hint = 'CODE'", "MaxLength = 5", "TabOrder = 10"]) +
    control("Who", "TEdit", 110, 40, 120, 21, ["Hint = 'NAME'", "TabOrder = 11"]) +
    control("Agree", "TRzCheckBox", 16, 70, 120, 17, ["Hint = 'AGREE'", "Caption = 'Agree'", "TabOrder = 12"]) +
    control("Small", "TRzRadioButton", 16, 92, 80, 17,
            ["Hint = 'SMALL'", "Caption = 'Small'", "Checked = True", "TabOrder = 13"]) +
    control("Large", "TRzRadioButton", 110, 92, 80, 17, ["Hint = 'LARGE'", "Caption = 'Large'", "TabOrder = 14"]) +
    control("Target", "TEdit", 16, 120, 300, 21, ["Hint = 'TARGETDIR'", "Tag = 2", "TabOrder = 15"]) +
    control("Drives", "TDriveComboBox", 330, 120, 120, 19, ["Tag = 1", "TabOrder = 16"]) +
    control("Features", "TCheckListBox", 16, 150, 150, 60, ["Tag = 1", "ItemHeight = 13", "TabOrder = 17"]) +
    control("ItemSize", "TStaticText", 180, 150, 150, 17, ["AutoSize = False", "Tag = 3"]) +
    control("Needed", "TStaticText", 180, 172, 150, 17, ["AutoSize = False", "Tag = 4"])))


def ids_by_place(s, caption):
    """The control ids of the form on screen by their designed (left, top)."""
    return {(row["left"], row["top"]): row["id"] for row in s.ui.layout(caption)}


def text_of(s, caption, control_id):
    return next(text for _, id, text in s.ui.controls(caption) if id == control_id)


def fields_and_targets(s):
    """Bound fields as a user fills them: the variables they write, the focus moving on at a field's maximum
    length, the drive box keeping the destination's tail, the size texts, Cancel answered No, and the feature
    list deselecting Tools with what lies below it but not Toolbox."""
    exe = s.build("fields", FIELDS_SCRIPT, {"fields": FIELDS_FORM})
    process = s.session.start(exe)
    caption = "Fields Page"
    check(s.visible(caption, 30000), "the page appears")
    place = ids_by_place(s, caption)
    code, who, target, drives = place[(16, 40)], place[(110, 40)], place[(16, 120)], place[(330, 120)]
    features, item_size, needed = place[(16, 150)], place[(180, 150)], place[(180, 172)]
    equal(text_of(s, caption, target), "C:\\Program Files\\Acme\\Tool\\", "the destination as the script set it")
    check(s.ui.set_text(caption, f"#{code}", "12345"), "type the code")
    time.sleep(0.3)
    focused = s.ui.focus(caption)
    equal(focused and focused[1], who, "a full field hands the focus to the next one in tab order")
    check(s.ui.set_text(caption, f"#{who}", "Ada"), "type the name")
    check(s.ui.click(caption, "Agree"), "check the box")
    check(s.ui.click(caption, "Large"), "choose Large")
    check(s.ui.select(caption, f"#{drives}", 1), "choose the second drive")
    time.sleep(0.3)
    chosen = text_of(s, caption, target)
    check(chosen.endswith(":\\Acme\\Tool\\") and not chosen.startswith("C:"),
          f"another drive keeps the part of the destination that does not exist yet: {chosen!r}")

    check(s.ui.select(caption, f"#{features}", 0), "select Tools in the feature list")
    time.sleep(0.3)
    equal(text_of(s, caption, item_size), "2,048 KB", "the size of the selected component")
    equal(text_of(s, caption, needed), "2,048 KB", "the space the selected components need, 512 bytes rounded down")
    deselected = False
    if shutil.which("xdotool"):
        left, top, width, height, client_width, client_height = s.ui.rect(caption)
        border = (width - client_width) // 2
        x, y = left + border + 16 + 2 + 8, top + height - client_height - border + 150 + 2 + 7
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], env=s.session.env, check=True)
        time.sleep(0.5)
        deselected = True
        equal(text_of(s, caption, needed), "512 bytes", "only Toolbox is needed once Tools is unchecked")

    check(s.ui.click(caption, "Cancel"), "Cancel")
    equal(s.ui.message_box("Orvanta"), "Are you sure you want to cancel?", "the question")
    check(s.ui.click("Orvanta", "#7"), "No")
    time.sleep(0.5)
    check(s.visible(caption), "the page stays after No")
    s.session.screenshot("fields-page.png")
    check(s.ui.click(caption, "Next >"), "Next")
    equal(s.session.finish(process, timeout=60), 0, "exit code")
    states = "FALSE FALSE TRUE" if deselected else "TRUE TRUE TRUE"
    equal(s.results(), [f"NEXT|12345|Ada|TRUE|FALSE|TRUE|{chosen}|{states}"], "what the fields wrote")


BROWSE_SCRIPT = ("Set Variable\n  | TARGETDIR\n  | C:\\Program Files\\Acme\\Tool\\\n"
                 "Wizard Loop\n" + display("browse", "R") + "End\n" + report("$R$|$TARGETDIR$"))
BROWSE_FORM = page("Browse", "Browse Page", 420, 160, [("BrowseButton", "Browse...", 4), ("NextButton", "Next >", 1)],
                   extra=("  object Target: TEdit\n    Left = 16\n    Top = 50\n    Width = 380\n    Height = 21\n"
                          "    Hint = 'TARGETDIR'\n    Tag = 2\n    TabOrder = 5\n  end\n"))


def browse_folder(s):
    """The Browse role's folder dialog: the folder a user picks there reaches the destination field, with the
    part of the destination that does not exist yet behind it, and the variable the field is bound to."""
    (s.session.drive_c / "Picked Place").mkdir()
    exe = s.build("browse", BROWSE_SCRIPT, {"browse": BROWSE_FORM})
    process = s.session.start(exe)
    caption = "Browse Page"
    check(s.visible(caption, 30000), "the page appears")
    check(s.ui.click(caption, "Browse..."), "Browse")
    browser = "Browse for Folder"
    check(s.ui.wait(browser, 15000), "the system's folder dialog")
    picked, seen = s.ui.tree_pick(browser, "Desktop\\Computer\\C:\\Picked Place")
    s.session.screenshot("browse-folder-dialog.png")
    check(picked, "the folder picked in the dialog's tree: " + seen)
    check(s.ui.click(browser, "OK"), "OK in the folder dialog")
    time.sleep(1)
    edits = [text for cls, _, text in s.ui.controls(caption) if cls.lower() == "edit"]
    equal(edits, ["C:\\Picked Place\\Acme\\Tool\\"], "the destination field after the choice")
    check(s.ui.click(caption, "Next >"), "Next")
    equal(s.session.finish(process, timeout=60), 0, "exit code")
    equal(s.results(), ["NEXT|C:\\Picked Place\\Acme\\Tool\\"], "the destination the script sees")


FONT_RULE_FORM = page("FontRule", "Font Rule", 420, 200, [("NextButton", "Next >", 1)], extra=(
    "  object Box: TGroupBox\n    Left = 16\n    Top = 40\n    Width = 380\n    Height = 90\n    Caption = 'Box'\n"
    "    Font.Height = -16\n    Font.Name = 'Tahoma'\n    ParentFont = False\n    TabOrder = 2\n"
    "    object Inner: TLabel\n      Left = 8\n      Top = 30\n      Width = 300\n      Height = 22\n"
    "      Caption = 'Inside the box'\n    end\n  end\n"
    "  object Bolder: TRzCheckBox\n    Left = 16\n    Top = 140\n    Width = 200\n    Height = 17\n"
    "    Caption = 'Bold box'\n    Hint = 'BOLDER'\n    TabOrder = 1\n  end\n"))
FONT_RULES = ("IF (Bolder.Checked = True)  THEN  Box.Font.Style := [fsBold];\r\n"
              "IF (Bolder.Checked <> True)  THEN  Box.Font.Style := [];\r\n")


def font_rule(s):
    """A dialog rule that makes a group box bold makes the label inside it bold too, and regular again."""
    exe = s.build("fontrule", "Wizard Loop\n" + display("fontrule", "R") + "End\n" + report("$R$ $BOLDER$"),
                  {"fontrule": FONT_RULE_FORM}, support_files={"fontrule.dfm.kebf": FONT_RULES})
    process = s.session.start(exe)
    caption = "Font Rule"
    check(s.visible(caption, 30000), "the page appears")

    def inner_strokes(shot):
        left, top, width, height, client_width, client_height = s.ui.rect(caption)
        border = (width - client_width) // 2
        x0, y0 = left + border, top + height - client_height - border
        row = next(row for row in s.ui.layout(caption) if row["text"] == "Inside the box")
        # The label lies in the box: its place is inside the box's client area.
        box = next(row for row in s.ui.layout(caption) if row["text"] == "Box")
        return screenshots.stroke_width(shot, x0 + row["left"], y0 + row["top"], row["width"], row["height"]) \
            if row["left"] >= box["left"] else 0.0

    regular = inner_strokes(s.session.screenshot("font-rule-regular.png"))
    check(s.ui.click(caption, "Bold box"), "check the box")
    time.sleep(0.5)
    bold = inner_strokes(s.session.screenshot("font-rule-bold.png"))
    check(bold > 1.3 * regular, f"the label follows its box to bold: strokes of {bold:.2f} pixels, {regular:.2f} before")
    check(s.ui.click(caption, "Bold box"), "uncheck the box")
    time.sleep(0.5)
    again = inner_strokes(s.session.screenshot("font-rule-regular-again.png"))
    check(again * 1.3 < bold, f"regular again: strokes of {again:.2f} pixels")
    check(s.ui.click(caption, "Next >"), "Next")
    equal(s.session.finish(process, timeout=60), 0, "exit code")
    equal(s.results(), ["NEXT FALSE"], "the result")


LINK_PAGE = ("<html><body><p><a href=\"C:\\windows\\system32\\cmd.exe /c mkdir "
             "C:\\clicked C:\\second\">Start the program</a></p></body></html>")


def program_link(s):
    """A click on a page's link to an .EXE starts the program with the text after the blank as its parameters."""
    if not shutil.which("xdotool"):
        raise winehost.SkipScenario("xdotool is needed to click into the page")
    form = page("Links", "Links Frame", 420, 220, [("NextButton", "Next >", 1)], extra=(
        "  object Frame: THTMLViewer\n    Left = 8\n    Top = 40\n    Width = 400\n    Height = 120\n    Tag = 1\n  end\n"))
    exe = s.build("links", "Wizard Loop\n" + display("links", "R") + "End\n" + report("$R$"), {"links": form},
                  support_files={"index.htm": LINK_PAGE})
    process = s.session.start(exe)
    caption = "Links Frame"
    check(s.visible(caption, 30000), "the page appears")
    left, top, width, height, client_width, client_height = s.ui.rect(caption)
    border = (width - client_width) // 2
    x, y = left + border + 8 + 30, top + height - client_height - border + 40 + 10
    deadline = time.monotonic() + 20
    while not (s.session.drive_c / "second").is_dir() and time.monotonic() < deadline:
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], env=s.session.env, check=True)
        time.sleep(2)
    s.session.screenshot("program-link.png")
    check((s.session.drive_c / "clicked").is_dir() and (s.session.drive_c / "second").is_dir(),
          "the program ran with both parameters")
    check(s.ui.click(caption, "Next >"), "Next")
    equal(s.session.finish(process, timeout=60), 0, "exit code")
    equal(s.results(), ["NEXT"], "the dialog's result")


TREE_SCRIPT = (
    "Define Component\n  | A\n  | FALSE\n  | First\n"
    "Define Component\n  | A\\B\n  | FALSE\n  | Second\n"
    "Define Component\n  | A\\C\n  | FALSE\n  | Third\n"
    "Wizard Loop\n" + display("tree", "R") + "End\n"
    "Get Component State\n  | A\n  | A\n"
    "Get Component State\n  | A\\B\n  | B\n"
    "Get Component State\n  | A\\C\n  | C\n" + report("$R$ $A$ $B$ $C$"))
# Where Wine's tree view draws the icon of the second row (A\B, one level in)
# inside the tree's client area, at 96 dots per inch.
B_ICON = (72, 23)


def feature_tree_menu(s):
    """The menu of an item's icon: "installed on local hard drive" on A\\B selects B and A, not A's other child."""
    if not shutil.which("xdotool"):
        raise winehost.SkipScenario("xdotool is needed to click into the tree")
    form = page("Tree", "Tree Page", 420, 220, [("NextButton", "Next >", 1)], extra=(
        "  object Features: TTreeView\n    Left = 16\n    Top = 40\n    Width = 200\n    Height = 120\n"
        "    Tag = 1\n  end\n"))
    exe = s.build("tree", TREE_SCRIPT, {"tree": form})
    process = s.session.start(exe)
    caption = "Tree Page"
    check(s.visible(caption, 30000), "the page appears")
    left, top, width, height, client_width, client_height = s.ui.rect(caption)
    border = (width - client_width) // 2
    x = left + border + 16 + 2 + B_ICON[0]
    y = top + height - client_height - border + 40 + 2 + B_ICON[1]
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], env=s.session.env, check=True)
    time.sleep(1)
    s.session.screenshot("feature-tree-menu.png")
    subprocess.run(["xdotool", "key", "i"], env=s.session.env, check=True)
    time.sleep(0.5)
    s.session.screenshot("feature-tree-chosen.png")
    check(s.ui.click(caption, "Next >"), "Next")
    equal(s.session.finish(process, timeout=60), 0, "exit code")
    equal(s.results(), ["NEXT TRUE TRUE FALSE"], "the item and its parent are selected, the sibling is not")


def trackbar_error(s):
    """A track bar bound to a value that is no number stops the script with the command's line."""
    form = page("Levels", "Levels Page", 300, 160, [("NextButton", "Next >", 1)], extra=(
        "  object Slider: TTrackBar\n    Left = 16\n    Top = 40\n    Width = 200\n    Height = 30\n"
        "    Hint = 'LEVEL'\n  end\n"))
    exe = s.build("levels", "Set Variable\n  | LEVEL\n  | abc\n" + display("levels", "R") + report("never"),
                  {"levels": form})
    process = s.session.start(exe)
    text = s.ui.message_box("Orvanta", timeout_ms=30000)
    check(text is not None and text.startswith("Runtime error in setup script:Line 2: ") and "abc" in text,
          f"the script error names the line and the value: {text!r}")
    check(s.ui.click("Orvanta", "OK"), "OK")
    equal(s.session.finish(process, timeout=60), 1603, "exit code: the script ended with an error")
    check(not (s.session.temp / "dialogs.txt").exists(), "no command runs after the error")


SCENARIOS = {f.__name__: f for f in (wizard_walk, silent_wizard, modeless_and_hide, worker_progress, broken_form, designer_pages,
                                      sample_wizard, content_and_features, trackbar_error, fields_and_targets,
                                      program_link, feature_tree_menu, required_feature, sample_in_german, sample_high_dpi, browse_folder, font_rule,
                                      modeless_cancel)}

if __name__ == "__main__":
    sys.exit(scenario.main("dialogs", SCENARIOS, Scenario,
                           programs=("kebstub.exe", "keb.dll", "uidriver.exe", "dialogrunner.exe", "exitcode.exe"),
                           tools=("7zz", "fpc"), timeout=600))
