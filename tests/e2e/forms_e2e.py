"""End-to-end scenarios of the wizard forms as Windows shows them: a form of
every control class, compiled from its text by orvanta and by Free Pascal,
built by the engine's form builder inside the formwindow helper, read through
the UI driver and through the builder's own property access.

usage: forms_e2e.py --builds DIR --work-dir DIR --orvanta PATH SCENARIO
Exit code 77 means skipped (no Windows build, no orvanta or no fpc).
"""

import queue
import re
import shutil
import subprocess
import sys
import threading
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import formoracle  # noqa: E402
import screenshots  # noqa: E402
import scenario  # noqa: E402
from scenario import SOURCE, check, equal  # noqa: E402

FORMS = SOURCE / "tests" / "forms"
CAPTION = "Every control"
FIRST_ID = 100
COMPONENTS = 41  # the components of everycontrol.txt, the form itself not counted


class FormWindow:
    """The formwindow helper showing one form, spoken to line by line."""

    def __init__(self, session, exe, form):
        self.lines = queue.Queue()
        self.process = subprocess.Popen([session.path.loader, str(exe), session.windows_path(form)], env=session.env,
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        # Wine's own service processes may hold the pipe open after the end:
        # lines are read by a thread and waited for with a time limit.
        threading.Thread(target=self._read, daemon=True).start()
        self.first = self.line()

    def _read(self):
        for raw in self.process.stdout:
            self.lines.put(raw.decode("latin-1").rstrip("\r\n"))

    def line(self, timeout=60):
        try:
            return self.lines.get(timeout=timeout)
        except queue.Empty:
            raise AssertionError("formwindow did not answer in time") from None

    def ask(self, command):
        self.process.stdin.write((command + "\n").encode("latin-1"))
        self.process.stdin.flush()
        return self.line()

    def get(self, path):
        answer = self.ask("get " + path)
        if answer == "none":
            return None
        check(answer.startswith("value: "), f"get {path}: {answer}")
        return answer[len("value: "):].replace("\\n", "\n")

    def set(self, path, value):
        return self.ask(f"set {path}={value}")

    def events(self):
        answer = self.ask("events")
        check(answer.startswith("events:"), "events: " + answer)
        return answer[len("events:"):].split()

    def quit(self):
        if self.process.poll() is None:
            try:
                self.ask("quit")
            except (AssertionError, OSError):
                pass
            self.process.wait(timeout=30)


class Scenario(scenario.Scenario):
    def __init__(self, session, engine, orvanta, work):
        super().__init__(session, engine, orvanta, work)
        self.folder = session.drive_c / "forms"
        self.folder.mkdir()

    def compile(self, name, text=None):
        """A text form compiled by orvanta into the prefix; the text of
        tests/forms/NAME.txt unless given."""
        source = self.folder / (name + ".txt")
        source.write_text(text if text is not None else (FORMS / (name + ".txt")).read_text())
        target = self.folder / (name + ".dfm")
        subprocess.run([self.orvanta, "form", str(source), "-o", str(target)], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return target

    def pascal(self, name):
        """tests/forms/NAME.txt compiled by Free Pascal's Classes unit."""
        target = self.folder / (name + "-pascal.dfm")
        formoracle.compile_form(self.work, FORMS / (name + ".txt"), target)
        return target

    def show(self, form):
        # Wine's services start before the helper, so they do not inherit its pipes.
        self.session.wine("cmd", "/c", "echo")
        return FormWindow(self.session, self.engine / "formwindow.exe", form)


def check_pictures(s, shot):
    """The designed pictures are on screen: a bitmap (stretched, red above left,
    blue above right) and a PNG (green) decoded through GDI+."""
    left, top, width, height, client_width, client_height = s.ui.rect(CAPTION)
    border = (width - client_width) // 2
    x0, y0 = left + border, top + height - client_height - border
    pixel = screenshots.screen_pixels(shot)
    for what, (x, y), expected in (("the bitmap's red quarter", (368, 16), (255, 0, 0)),
                                   ("the bitmap's blue quarter", (384, 16), (0, 0, 255)),
                                   ("the PNG picture", (416, 24), (0, 160, 0))):
        actual = pixel(x0 + x, y0 + y)
        check(all(abs(a - e) <= 8 for a, e in zip(actual, expected)), f"{what}: {actual} instead of {expected}")


def by_text(layout, text):
    found = [row for row in layout if row["text"] == text and FIRST_ID <= row["id"] < 1000]
    check(len(found) == 1, f"one control showing {text!r}; found {len(found)}")
    return found[0]


def geometry(row):
    return (row["left"], row["top"], row["width"], row["height"])


def check_layout(s, scale=1.0):
    """Every component has its own window, where it was designed."""
    layout = s.ui.layout(CAPTION)
    check(layout is not None, "the window captioned " + CAPTION)
    ids = sorted(row["id"] for row in layout if FIRST_ID <= row["id"] < 1000)
    equal(ids, list(range(FIRST_ID, FIRST_ID + COMPONENTS)), "the component windows")
    classes = {row["class"] for row in layout}
    for native in ("Static", "Edit", "Button", "ListBox", "ComboBox", "RichEdit20A", "msctls_trackbar32",
                   "msctls_progress32", "msctls_updown32", "SysAnimate32", "SysTreeView32", "OrvantaPanel",
                   "OrvantaShape", "OrvantaBevel", "OrvantaGauge", "OrvantaImage"):
        check(native.lower() in {c.lower() for c in classes}, f"a {native} window among {sorted(classes)}")

    def scaled(v):
        return int(v * scale + 0.5)

    def at(left, top, width, height, within=(0, 0)):
        """Where a component lands: its edges scaled inside its scaled container."""
        x, y = scaled(within[0]) + scaled(left), scaled(within[1]) + scaled(top)
        return (x, y, scaled(left + width) - scaled(left), scaled(top + height) - scaled(top))

    equal(geometry(by_text(layout, "All the classes")), at(8, 8, 150, 16), "the label")
    equal(geometry(by_text(layout, "edit text")), at(8, 32, 150, 21), "the edit")
    # Children of containers: in the group box and the panel.
    equal(geometry(by_text(layout, "Inside the group")), at(8, 20, 150, 17, within=(170, 8)),
          "the check box in the group box")
    equal(geometry(by_text(layout, "In the panel")), at(8, 8, 100, 13, within=(170, 124)), "the label in the panel")
    equal(geometry(by_text(layout, "&Next >")), at(470, 385, 80, 25), "the next button")
    check(not by_text(layout, "Hidden")["visible"], "the hidden button is not visible")
    check(by_text(layout, "Disabled")["visible"] and not by_text(layout, "Disabled")["enabled"],
          "the disabled button is visible and disabled")
    equal(by_text(layout, "first line\nsecond line")["class"].lower(), "edit", "the memo")
    return layout


def check_properties(s, window):
    """Properties by name: live values, class defaults, writes shown at once."""
    equal(window.get(".Caption"), CAPTION, "the form's caption")
    equal(window.get("NameEdit.Text"), "edit text", "the edit's text")
    equal(window.get("NameEdit.MaxLength"), "20", "the edit's maximum length")
    equal(window.get("NameEdit.Hint"), "NAME", "the edit's hint")
    equal(window.get("NameEdit.Left"), "8", "the edit's left")
    equal(window.get("NameEdit.Enabled"), "True", "the edit's enabled state")
    equal(window.get("Notes.Lines"), "first line\nsecond line", "the memo's lines")
    equal(window.get("Rich.Lines"), "rich text", "the rich edit's lines")
    equal(window.get("Agree.Checked"), "True", "the check box")
    equal(window.get("ChoiceOne.Checked"), "True", "the first radio button")
    equal(window.get("Fruits.Items"), "Apple\nBanana\nCherry", "the list box's items")
    equal(window.get("Fruits.ItemIndex"), "-1", "the list box's selection")
    equal(window.get("Colours.Text"), "Green", "the combo box's text")
    equal(window.get("Slider.Position"), "3", "the track bar's position")
    equal(window.get("Slider.Max"), "10", "the track bar's maximum")
    equal(window.get("Bar.Position"), "60", "the progress bar's position")
    equal(window.get("Meter.Progress"), "40", "the gauge's progress")
    equal(window.get("CountUpDown.Position"), "5", "the up-down's position")
    equal(window.get("NextButton.Tag"), "1", "the next button's tag")
    equal(window.get("HiddenButton.Visible"), "False", "the hidden button")
    equal(window.get("Heading.Text"), None, "a label has no text property")
    check(window.get("Folders.Directory"), "the folder list shows a folder")

    equal(window.set("Slider.Position", "abc"), "error: TTrackBar Slider.Position: 'abc' is not an integer",
          "a position that is no number")
    equal(window.set("Slider.Position", "7"), "ok", "a new position")
    equal(window.get("Slider.Position"), "7", "the track bar's new position")
    equal(window.set("Agree.Checked", "False"), "ok", "unchecking")
    equal(window.get("Agree.Checked"), "False", "the check box after the write")
    equal(window.set("ChoiceTwo.Checked", "True"), "ok", "the second radio button")
    equal(window.get("ChoiceOne.Checked"), "False", "the first radio button after the second was checked")
    equal(window.set("Fruits.Items", "Kiwi\\nLime"), "ok", "new items")
    equal(window.set("Fruits.ItemIndex", "1"), "ok", "a selection")
    equal(window.get("Fruits.Text"), None, "a list box has no text property")
    equal(window.get("Fruits.ItemIndex"), "1", "the selection")
    equal(window.set("NameEdit.Text", "typed"), "ok", "a new text")
    equal(window.set("HiddenButton.Visible", "True"), "ok", "showing the hidden button")
    equal(window.set("DisabledButton.Enabled", "True"), "ok", "enabling the disabled button")
    equal(window.set("Folders.Directory", "C:\\windows"), "ok", "another folder")
    equal(window.get("Folders.Directory").lower(), "c:\\windows", "the folder list's folder")
    equal(window.set("Files.Directory", "C:\\windows"), "ok", "the file list's folder")
    check("win.ini" in window.get("Files.Items").lower().split("\n"), "win.ini in the file list of C:\\windows")
    equal(window.set("Banner.Color", "clYellow"), "ok", "a new panel colour")
    equal(window.get("Banner.Color"), "clYellow", "the panel's colour")
    equal(window.set("Banner.Color", "plaid"), "error: TPanel Banner.Color: 'plaid' is not a colour", "no colour")
    equal(window.set(".Caption", "Renamed"), "ok", "a new caption")
    check(s.ui.wait("Renamed"), "the window shows its new caption")
    layout = s.ui.layout("Renamed")
    equal(by_text(layout, "typed")["class"].lower(), "edit", "the edit shows the written text")
    check(by_text(layout, "Hidden")["visible"], "the hidden button is shown")
    check(by_text(layout, "Disabled")["enabled"], "the disabled button is enabled")
    equal(window.set(".Caption", CAPTION), "ok", "the caption back")
    check(s.ui.wait(CAPTION), "the window shows its caption again")


def check_events(s, window):
    """What the user does arrives as events of the right control."""
    window.events()
    check(s.ui.click(CAPTION, "Bit button"), "clicking the bit button")
    check(s.ui.set_text(CAPTION, "typed", "by the user"), "typing into the edit")
    check(s.ui.click(CAPTION, "I agree"), "clicking the check box")
    time.sleep(0.5)
    events = window.events()
    for expected in ("BitButton.Click", "NameEdit.Change", "Agree.Click"):
        check(expected in events, f"{expected} among {events}")
    equal(window.get("NameEdit.Text"), "by the user", "the text the user typed")
    # A handler that writes the text it reacts to is not called again from inside itself.
    equal(window.ask("exclaim NameEdit"), "ok", "a handler that appends to the text")
    check(s.ui.set_text(CAPTION, "by the user", "loud"), "typing into the edit again")
    time.sleep(0.3)
    equal(window.get("NameEdit.Text"), "loud!", "the text after the handler wrote once")
    equal(window.ask("exclaim -"), "error: no control -", "no more handler")
    equal(window.get("Agree.Checked"), "True", "the check box the user checked again")


def check_mouse(s, window):
    """Real mouse clicks (xdotool) on what only a mouse reaches: check marks,
    tree items, shapes, images and labels."""
    if not shutil.which("xdotool"):
        return
    left, top, width, height, client_width, client_height = s.ui.rect(CAPTION)
    border = (width - client_width) // 2
    origin = (left + border, top + height - client_height - border)

    def click(x, y):
        subprocess.run(["xdotool", "mousemove", str(origin[0] + x), str(origin[1] + y), "click", "1"],
                       env=s.session.env, check=True)
        time.sleep(0.3)

    window.events()
    click(8 + 20, 8 + 8)          # the label
    click(360 + 16, 8 + 16)       # the image
    click(170 + 130 + 20, 124 + 8 + 20)  # the shape inside the panel
    click(80 + 2 + 8, 244 + 2 + 7)  # the check mark of the check list's first item
    click(220 + 2 + 40, 244 + 2 + 24)  # the tree's second item
    click(360 + 20, 160 + 12)     # the track bar's groove, left of the thumb
    click(8 + 20, 32 + 10)        # into the edit; Enter then presses the default button
    subprocess.run(["xdotool", "key", "Return"], env=s.session.env, check=True)
    time.sleep(0.3)
    events = window.events()
    for expected in ("Heading.Click", "Logo.Click", "Dot.MouseUp", "Features.ClickCheck", "Features.Click",
                     "Tree.Change", "Tree.MouseUp", "Slider.Change", "NextButton.Click"):
        check(expected in events, f"{expected} among {events}")
    equal(window.ask("checks Features"), "checks: 1 0", "the check mark set by the click")
    equal(window.ask("treepath Tree"), "path: Tools", "the tree item selected by the click")


def check_close_requests(s, window):
    """A close request does nothing while the dialog may not close."""
    check(s.ui.close(CAPTION), "a close request")
    time.sleep(1)
    equal(window.ask("visible"), "True", "the window after a refused close request")
    equal(window.ask("canclose true"), "ok", "allowing close requests")
    check(s.ui.close(CAPTION), "a second close request")
    time.sleep(1)
    equal(window.ask("visible"), "False", "the window after an allowed close request")


def every_control(s):
    """A form of every class as orvanta compiles it: each component where it
    was designed, its properties readable and writable, its events arriving,
    and close requests refused."""
    window = s.show(s.compile("everycontrol"))
    try:
        equal(window.first, "ready", "formwindow")
        check_layout(s)
        check_properties(s, window)
        check_pictures(s, s.session.screenshot("forms-every-control.png"))
        check_events(s, window)
        check_mouse(s, window)
        check_close_requests(s, window)
    finally:
        window.quit()


def pascal_compiled(s):
    """The same form compiled by Free Pascal: the same bytes, the same window."""
    pascal = s.pascal("everycontrol")
    equal(pascal.read_bytes(), s.compile("everycontrol").read_bytes(), "Free Pascal's and orvanta's form files")
    window = s.show(pascal)
    try:
        equal(window.first, "ready", "formwindow")
        check_layout(s)
        equal(window.get("Fruits.Items"), "Apple\nBanana\nCherry", "the list box's items")
        s.session.screenshot("forms-pascal-compiled.png")
    finally:
        window.quit()


def font_of(window, control):
    """(height, weight, italic, underline, strike-out, charset, pitch, face) the control's
    window reports, and (height, weight, face) of the font the system made of it."""
    answer = window.ask("font " + control)
    check(answer.startswith("font: "), f"the font of {control}: {answer}")
    designed, realised = answer[len("font: "):].split(" | ")
    *numbers, face = designed.split(" ", 7)
    height, weight, realised_face = realised.split(" ", 2)
    return tuple(int(n) for n in numbers) + (face,), (int(height), int(weight), realised_face)


def designed_fonts(s):
    """Every font property of a form reaches the control's window; containers
    pass their font to the controls that follow it, also when it changes while
    the form is shown; a bold Tahoma is drawn bold and a red font red."""
    pascal = s.pascal("fonts")
    equal(pascal.read_bytes(), s.compile("fonts").read_bytes(), "Free Pascal's and orvanta's form files")
    window = s.show(pascal)
    try:
        equal(window.first, "ready", "formwindow")
        expected = {
            "Heading": (-16, 700, 0, 0, 0, 1, 0, "Tahoma"),
            "Marked": (-11, 400, 1, 1, 1, 1, 0, "Tahoma"),
            "Sized": (-16, 400, 0, 0, 0, 1, 0, "Tahoma"),      # 12 points at 96 dots per inch
            "Cyrillic": (-11, 400, 0, 0, 0, 204, 1, "Courier New"),
            "Plain": (-11, 400, 0, 0, 0, 1, 0, "Tahoma"),
            "Box": (-13, 700, 0, 0, 0, 1, 0, "Tahoma"),
            "Follower": (-13, 700, 0, 0, 0, 1, 0, "Tahoma"),   # the box's
            "Deep": (-13, 700, 0, 0, 0, 1, 0, "Tahoma"),       # the box's, through the panel
            "Own": (-11, 400, 0, 1, 0, 1, 0, "Tahoma"),
        }
        for control, font in expected.items():
            equal(font_of(window, control)[0], font, f"the font of {control}")
        equal(font_of(window, "Heading")[1], (16, 700, "Tahoma"), "the heading's font as the system made it")

        shot = s.session.screenshot("forms-designed-fonts.png")
        left, top, width, height, client_width, client_height = s.ui.rect("Designed fonts")
        border = (width - client_width) // 2
        x0, y0 = left + border, top + height - client_height - border
        pixel = screenshots.screen_pixels(shot)
        rows = {row["text"]: row for row in s.ui.layout("Designed fonts")}
        heading, plain = rows["A bold heading"], rows["The form font"]
        reds = sum(1 for y in range(heading["top"], heading["top"] + heading["height"])
                   for x in range(heading["left"], heading["left"] + heading["width"])
                   if pixel(x0 + x, y0 + y)[0] > 160 and max(pixel(x0 + x, y0 + y)[1:]) < 90)
        check(reds > 50, f"the heading is drawn red: {reds} red pixels")
        check(not any(pixel(x0 + x, y0 + y)[0] > 160 and max(pixel(x0 + x, y0 + y)[1:]) < 90
                      for y in range(plain["top"], plain["top"] + plain["height"])
                      for x in range(plain["left"], plain["left"] + plain["width"])), "the form font is not red")

        # While shown, as a dialog rule writes them.
        equal(window.set("Box.Font.Style", "[fsItalic]"), "ok", "the box's style")
        equal(window.set("Box.Font.Height", "-20"), "ok", "the box's height")
        for control in ("Box", "Follower", "Deep"):
            equal(font_of(window, control)[0], (-20, 400, 1, 0, 0, 1, 0, "Tahoma"), f"{control} after the box changed")
        equal(font_of(window, "Own")[0], expected["Own"], "a font of its own stays")
        equal(window.set("Follower.Font.Style", "[fsBold]"), "ok", "the follower's own style")
        equal(window.get("Follower.ParentFont"), "False", "a font of its own ends following the box")
        equal(window.set("Box.Font.Height", "-13"), "ok", "the box's height again")
        equal(font_of(window, "Follower")[0], (-20, 700, 0, 0, 0, 1, 0, "Tahoma"), "the follower keeps its font")
        equal(font_of(window, "Deep")[0], (-13, 400, 1, 0, 0, 1, 0, "Tahoma"), "the panel's label follows")
        equal(window.set("Own.ParentFont", "True"), "ok", "following the box again")
        equal(font_of(window, "Own")[0], (-13, 400, 1, 0, 0, 1, 0, "Tahoma"), "the box's font taken again")
        equal(window.set(".Font.Name", "Courier New"), "ok", "the form's face")
        equal(font_of(window, "Plain")[0][7], "Courier New", "the form's face reaches its labels")
        equal(font_of(window, "Heading")[0][7], "Tahoma", "a label with its own face keeps it")
        equal(font_of(window, "Box")[0][7], "Tahoma", "the box with its own face keeps it")
    finally:
        window.quit()


def masked_input(s):
    """Masked edits show their literals and blanks, take typed characters only where their
    mask does, and hand on their text with or without the literals as the mask says."""
    pascal = s.pascal("masks")
    equal(pascal.read_bytes(), s.compile("masks").read_bytes(), "Free Pascal's and orvanta's form files")
    window = s.show(pascal)
    caption = "Masked input"
    try:
        equal(window.first, "ready", "formwindow")
        shown = lambda: sorted(row["text"] for row in s.ui.layout(caption) if row["class"].lower() == "edit")
        equal(shown(), ["(___)___-____", "AB-12**"], "the masks' literals and blanks, the designed text in its mask")
        equal(window.get("Code.Text"), "AB12  ", "a text without its literals")
        window.events()
        check(s.ui.type(caption, "(___)___-____", "x55a5123z4567"), "typing into the telephone number")
        equal(shown()[0], "(555)123-4567", "digits taken, letters refused, literals skipped")
        equal(window.get("Phone.Text"), "(555)123-4567", "a text with its literals")
        check("Phone.Change" in window.events(), "typing changes the masked edit")
        check(s.ui.type(caption, "(555)123-4567", "\\b\\b"), "two backspaces")
        equal(window.get("Phone.Text"), "(555)123-45  ", "backspace blanks the positions before the caret")
        check(s.ui.type(caption, "AB-12**", "qz9x"), "typing over the code from its start")
        equal(window.get("Code.Text"), "QZ92  ", "letters in upper case, the dash skipped, a letter refused for a digit")
        equal(window.set("Phone.Text", "(123)456-7890"), "ok", "a text written by a rule")
        equal(window.get("Phone.Text"), "(123)456-7890", "the written text")
        equal(window.set("Code.EditMask", "00-00;1;_"), "ok", "another mask")
        check("__-92" in shown(), f"the code under its new mask, its letters refused: {shown()}")
    finally:
        window.quit()


def glyph_buttons(s):
    """A bit button shows its designed glyph beside its caption, the designer's transparent colour left
    out, and its second image while disabled; a bit button of a kind shows the kind's caption."""
    pascal = s.pascal("glyphs")
    equal(pascal.read_bytes(), s.compile("glyphs").read_bytes(), "Free Pascal's and orvanta's form files")
    window = s.show(pascal)
    caption = "Glyph buttons"
    try:
        equal(window.first, "ready", "formwindow")
        layout = {row["text"]: row for row in s.ui.layout(caption)}
        check("OK" in layout, f"the caption of a bkOK button among {sorted(layout)}")

        def colours(shot):
            """Red, blue and fuchsia pixels on the glyph button."""
            left, top, width, height, client_width, client_height = s.ui.rect(caption)
            border = (width - client_width) // 2
            x0, y0 = left + border, top + height - client_height - border
            pixel = screenshots.screen_pixels(shot)
            button = layout["Glyph"]
            counts = {"red": 0, "blue": 0, "fuchsia": 0}
            for y in range(button["top"], button["top"] + button["height"]):
                for x in range(button["left"], button["left"] + button["width"]):
                    r, g, b = pixel(x0 + x, y0 + y)
                    if r > 200 and g < 60 and b > 200:
                        counts["fuchsia"] += 1
                    elif r > 200 and g < 60 and b < 60:
                        counts["red"] += 1
                    elif r < 60 and g < 60 and b > 200:
                        counts["blue"] += 1
            return counts

        shown = colours(s.session.screenshot("forms-glyph-buttons.png"))
        check(shown["red"] >= 80 and shown["blue"] == 0 and shown["fuchsia"] == 0,
              f"the glyph's first image without its transparent colour: {shown}")
        equal(window.set("GlyphButton.Enabled", "False"), "ok", "disabling the button")
        time.sleep(0.5)
        shown = colours(s.session.screenshot("forms-glyph-buttons-disabled.png"))
        check(shown["blue"] >= 80 and shown["red"] == 0 and shown["fuchsia"] == 0,
              f"the glyph's second image on the disabled button: {shown}")
    finally:
        window.quit()


def high_dpi(s):
    """At 144 dots per inch a form designed at 96 is one and a half times as large."""
    s.session.wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144",
                   "/f", check=True)
    window = s.show(s.compile("everycontrol"))
    try:
        equal(window.first, "ready", "formwindow")
        check_layout(s, scale=1.5)
        equal(s.ui.rect(CAPTION)[4:], (840, 630), "the client area of 560 x 420 at 96 dots per inch")
        equal(font_of(window, "Heading")[0][0], -20, "the heading's 13 pixels at 144 dots per inch")
        s.session.screenshot("forms-high-dpi.png")
        # Moved to a screen of 96 dots per inch, and back.
        equal(window.ask("dpi 96"), "ok", "a screen of 96 dots per inch")
        check_layout(s)
        equal(s.ui.rect(CAPTION)[4:], (560, 420), "the designed client area")
        equal(font_of(window, "Heading")[0][0], -13, "the designed height of the heading")
        equal(window.get("NameEdit.Left"), "8", "a rule reads the designed left")
        equal(window.ask("dpi 144"), "ok", "back at 144 dots per inch")
        check_layout(s, scale=1.5)
        equal(window.get("NameEdit.Left"), "8", "a rule reads the designed left at any density")
        equal(window.set("NameEdit.Left", "20"), "ok", "a rule moves the edit")
        equal(geometry(by_text(s.ui.layout(CAPTION), "edit text"))[0], 30, "20 designed pixels at 144 dots per inch")
    finally:
        window.quit()
    # A picture that is not stretched grows with the design: 8 pixels square become 12.
    window = s.show(s.compile("picture"))
    try:
        equal(window.first, "ready", "formwindow showing a picture")
        left, top, width, height, client_width, client_height = s.ui.rect("Unstretched picture")
        border = (width - client_width) // 2
        x0, y0 = left + border + 12, top + height - client_height - border + 12  # the image's corner at 144
        pixel = screenshots.screen_pixels(s.session.screenshot("forms-picture-144dpi.png"))
        check(pixel(x0 + 10, y0 + 10) != (255, 255, 255), f"inside the grown picture: {pixel(x0 + 10, y0 + 10)}")
        equal(pixel(x0 + 13, y0 + 13), (255, 255, 255), "the background beyond it")
    finally:
        window.quit()


SAMPLE_PAGES = SOURCE / "examples" / "sample" / "support"


def sample_pages_high_dpi(s):
    """The sample's pages at 144 dots per inch: every control one and a half
    times its place and size at 96, no text cut, the same after a move to a
    screen of 96 dots per inch."""
    s.session.wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144",
                   "/f", check=True)
    for page in ("welcome", "license", "features", "folder", "progress", "finish"):
        text = (SAMPLE_PAGES / (page + ".dfm")).read_text()
        client = tuple(int(re.search(rf"^  {name} = (\d+)", text, re.M).group(1)) for name in ("ClientWidth", "ClientHeight"))
        caption = re.search(r"^  Caption = '(.*)'", text, re.M).group(1)
        window = s.show(s.compile(page, text))
        try:
            equal(window.first, "ready", f"formwindow showing {page}")
            equal(s.ui.rect(caption)[4:], tuple(int(v * 1.5 + 0.5) for v in client), f"the client area of {page}")
            large = {row["id"]: row for row in s.ui.layout(caption)}
            equal(window.ask("cut"), "cut:", f"texts cut on {page} at 144 dots per inch")
            s.session.screenshot(f"forms-sample-{page}-144dpi.png")
            equal(window.ask("dpi 96"), "ok", "a screen of 96 dots per inch")
            equal(s.ui.rect(caption)[4:], client, f"the designed client area of {page}")
            for row in s.ui.layout(caption):
                if row["id"] not in large or not row["visible"] or row["class"].lower() == "combobox":
                    continue
                at144 = geometry(large[row["id"]])
                check(all(abs(big - small * 1.5) <= 1 for big, small in zip(at144, geometry(row))),
                      f"{page} control {row['id']} ({row['text']!r}) at 144: {at144}, at 96: {geometry(row)}")
            equal(window.ask("cut"), "cut:", f"texts cut on {page} at 96 dots per inch")
        finally:
            window.quit()


def designer_forms(s):
    """A page as another designer writes it (its own root class, designer-only
    and dotted properties, a collection, binary data, a panel of a class of
    its own holding controls), compiled by Free Pascal: every control shown
    where the form puts it, the unknown panel an empty one holding its
    controls. Forms with an unknown class, property or child are shown too."""
    window = s.show(s.pascal("designer"))
    try:
        equal(window.first, "ready", "formwindow")
        layout = s.ui.layout("Sign in to the setup")
        check(layout is not None, "the window captioned 'Sign in to the setup'")
        rows = {row["id"]: row for row in layout if FIRST_ID <= row["id"] < 1000}
        equal(sorted(rows), list(range(FIRST_ID, FIRST_ID + 7)), "the component windows")
        card = (12, 44)
        expected = [  # creation order: text, left, top, width, height, container
            ("Who installs $TITLE$?", 12, 12, 220, 18, (0, 0)),
            ("", 12, 44, 396, 150, (0, 0)),
            ("User name:", 8, 12, 120, 16, card),
            ("", 136, 8, 240, 24, card),
            ("", 136, 44, 240, 24, card),
            ("&Next >", 236, 256, 80, 28, (0, 0)),
            ("Cancel", 328, 256, 80, 28, (0, 0)),
        ]
        for n, (text, left, top, width, height, within) in enumerate(expected):
            row = rows[FIRST_ID + n]
            equal((row["text"], row["left"], row["top"], row["width"], row["height"]),
                  (text, within[0] + left, within[1] + top, width, height), f"component {n + 1}")
            check(row["visible"], f"component {n + 1} is visible")
        equal(rows[FIRST_ID + 1]["class"].lower(), "orvantapanel", "the unknown class's placeholder")
        equal(window.get("NameEdit.Hint"), "ACCOUNT", "the binding inside the placeholder")
        equal(window.get("FolderEdit.Tag"), "2", "the role inside the placeholder")
        equal(window.get("CardPanel.Tag"), "0", "the placeholder's own role")
        s.session.screenshot("forms-designer.png")
    finally:
        window.quit()
    for name, text in (("unknown", "object Page: TPage\n  object Bar: TStatusBar\n  end\nend\n"),
                       ("property", "object Page: TPage\n  object Go: TButton\n    Wallpaper = 'x'\n  end\nend\n"),
                       ("nested", "object Page: TPage\n  object Go: TButton\n    object L: TLabel\n    end\n"
                                  "  end\nend\n")):
        window = s.show(s.compile(name, text))
        try:
            equal(window.first, "ready", f"formwindow showing {name}.dfm")
        finally:
            window.quit()


def unreadable_forms(s):
    """Form files that cannot be read are refused with a clear error, never a crash."""
    whole = s.compile("everycontrol").read_bytes()
    for name, data in (("cut", whole[:len(whole) // 2]), ("noise", bytes(range(256)) * 4), ("empty", b"")):
        damaged = s.folder / (name + ".dfm")
        damaged.write_bytes(data)
        window = s.show(damaged)
        check(window.first.startswith(f"error: {name}.dfm: "), f"a clear error for {name}.dfm: {window.first}")
        equal(window.process.wait(timeout=30), 3, f"the exit code for {name}.dfm")


SCENARIOS = {f.__name__: f for f in (every_control, pascal_compiled, designed_fonts, masked_input, glyph_buttons,
                                      high_dpi, sample_pages_high_dpi, designer_forms, unreadable_forms)}


if __name__ == "__main__":
    sys.exit(scenario.main("forms", SCENARIOS, Scenario, programs=("formwindow.exe", "uidriver.exe")))
