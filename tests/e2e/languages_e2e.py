"""End-to-end scenarios of the installation languages under Wine: the project
`orvanta new` makes, in each of its languages, the language dialog of a
French user and a silent Polish installation.

usage: languages_e2e.py --builds DIR --work-dir DIR --orvanta PATH SCENARIO
Exit code 77 means skipped.
"""

import re
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import scenario  # noqa: E402
from scenario import SOURCE, check, equal  # noqa: E402

TITLE = "Demo"
TEMPLATE = SOURCE / "tools/authoring/templates/new/translations"
MESSAGES = SOURCE / "tools/authoring/messages"
# Each language with the Unix locale Wine takes the user's language and the
# ANSI code page from, and that code page.
LANGUAGES = {
    "English": ("en_US.UTF-8", "cp1252"),
    "German": ("de_DE.UTF-8", "cp1252"),
    "French": ("fr_FR.UTF-8", "cp1252"),
    "Spanish": ("es_ES.UTF-8", "cp1252"),
    "Italian": ("it_IT.UTF-8", "cp1252"),
    "Dutch": ("nl_NL.UTF-8", "cp1252"),
    "Portuguese (Brazil)": ("pt_BR.UTF-8", "cp1252"),
    "Polish": ("pl_PL.UTF-8", "cp1250"),
    "Czech": ("cs_CZ.UTF-8", "cp1250"),
    "Swedish": ("sv_SE.UTF-8", "cp1252"),
    "Danish": ("da_DK.UTF-8", "cp1252"),
}
CANCEL_QUESTION = 40  # the engine text's line


def unquoted(text):
    return re.sub(r"\\(.)", r"\1", text)


def page_texts(language):
    """msgid -> msgstr of the template's file for the language (the texts as written for English)."""
    path = TEMPLATE / f"{language}.txt"
    if not path.exists():
        return {}
    pairs = re.findall(r'^msgid "(.*)"\nmsgstr "(.*)"$', path.read_text(encoding="utf-8"), re.M)
    return {unquoted(i): unquoted(s) for i, s in pairs}


class Languages(scenario.Scenario):
    def new_project(self, name):
        """`orvanta new` in the prefix; the project's folder."""
        project = self.session.prefix / ("project-" + name)
        subprocess.run([self.orvanta, "new", str(project), "--title", TITLE], check=True, stdout=subprocess.DEVNULL)
        return project

    def start(self, exe, *args):
        """The setup started by Wine itself, which quotes an argument with blanks as Windows expects (cmd's start
        does not pass "LANGUAGE=Portuguese (Brazil)" through); wait() gives its exit code."""
        return subprocess.Popen([self.session.path.loader, self.session.windows_path(exe), *args],
                                env=self.session.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def shown(self, language, english):
        """The text as the wizard shows it in the language, read back as the UI driver reports it."""
        text = page_texts(language).get(english, english).replace("$TITLE$", TITLE)
        return text.encode(LANGUAGES[language][1]).decode("latin-1")

    def control_id(self, caption, language, english):
        wanted = self.shown(language, english)
        for _, ident, text in self.ui.controls(caption) or []:
            if text == wanted:
                return f"#{ident}"
        raise AssertionError(f"{language}: no control {wanted!r} on the page")


def wizard_in_every_language(s):
    """The new project's wizard, started with LANGUAGE=<name>: each page in that language, then Cancel, which the
    engine asks about in the same language."""
    out = s.orvanta_build(s.new_project("wizard"), s.folder / "wizard")
    caption = "*" + TITLE  # every language's caption holds the title
    for language, (locale, code_page) in LANGUAGES.items():
        s.session.env["LC_ALL"] = locale
        name = language.split(" ")[0].lower()
        process = s.start(out / "Demo.exe", f"LANGUAGE={language}")
        if not s.ui.wait(caption, 60000):
            s.session.screenshot(f"wizard-{name}-missing.png")
            raise AssertionError(f"failed: {language}: the welcome page")
        texts = [text for _, _, text in s.ui.controls(caption)]
        welcome = s.shown(language, "Welcome to the $TITLE$ Setup")
        check(welcome in texts, f"{language}: {welcome!r} on the welcome page: {texts}")
        s.session.screenshot(f"wizard-{name}-welcome.png")
        check(s.ui.click(caption, s.control_id(caption, language, "&Next >")), f"{language}: Next")
        check(s.ui.click(caption, s.control_id(caption, language, "I &accept the terms of the license agreement")),
              f"{language}: accept the licence")
        s.session.screenshot(f"wizard-{name}-license.png")
        check(s.ui.click(caption, s.control_id(caption, language, "&Next >")), f"{language}: Next after the licence")
        s.control_id(caption, language, "Space needed:")
        s.session.screenshot(f"wizard-{name}-features.png")
        check(s.ui.click(caption, s.control_id(caption, language, "&Next >")), f"{language}: Next on the features")
        s.control_id(caption, language, "B&rowse...")
        s.session.screenshot(f"wizard-{name}-folder.png")
        check(s.ui.click(caption, s.control_id(caption, language, "Cancel")), f"{language}: Cancel")
        question = s.ui.message_box("Orvanta", timeout_ms=30000)
        messages = MESSAGES / f"{language}.txt"
        expected = (messages.read_text(encoding="utf-8").split("\n")[CANCEL_QUESTION - 1] if messages.exists()
                    else "Are you sure you want to cancel?")
        equal(question, expected.encode(code_page).decode("latin-1"), f"{language}: the engine's question")
        s.session.screenshot(f"wizard-{name}-cancel.png")
        check(s.ui.click("Orvanta", "#6"), f"{language}: Yes")
        equal(process.wait(timeout=60), 0, f"{language}: exit code")
    check(not (s.session.drive_c / "Program Files" / TITLE).exists(), "nothing installed")


def french_user_dialog(s):
    """A French user sees the language dialog with "Français" preselected, each language under its own name."""
    out = s.orvanta_build(s.new_project("french"), s.folder / "french")
    s.session.env["LC_ALL"] = "fr_FR.UTF-8"
    process = s.session.start(out / "Demo.exe")
    caption = "Select Setup Language"
    controls = s.ui.controls(caption, timeout_ms=60000)
    check(controls is not None, "the language dialog appears")
    combo = [text for cls, _, text in controls if cls.lower() == "combobox"]
    equal(combo, ["Fran\xe7ais"], "the preselected language, under its own name")
    s.session.screenshot("language-dialog-french.png")
    check(s.ui.click(caption, "#2"), "Cancel")
    equal(s.session.finish(process, timeout=60), 0, "exit code after Cancel")


RECORD = """Set Variable
  | RECORDED
  | Remove $TITLE$
Write to Text File
  | $TEMPDIR$language.txt
  | $LANGUAGE$ $RECORDED$
  | FALSE
"""


def polish_silent(s):
    """LANGUAGE=Polish /s installs without a window; the texts are Polish in code page 1250, and the installation
    keeps its language for maintenance."""
    project = s.new_project("polish")
    source = project / "project.orv"
    source.write_text(source.read_text(encoding="utf-8") + RECORD, encoding="utf-8")
    out = s.orvanta_build(project, s.folder / "polish")
    equal(s.session.run(out / "Demo.exe", "LANGUAGE=Polish", "/s", timeout=180), 0, "exit code")
    installed = list(s.session.drive_c.glob(f"Program Files*/{TITLE}/readme.txt"))
    check(installed, "the product's file is installed")
    equal((s.session.temp / "language.txt").read_bytes(), "Polish Usuń program Demo\r\n".encode("cp1250"),
          "the Polish text in code page 1250")
    saved = [p for p in s.session.drive_c.rglob("*.lan") if p.name.lower() == "demo.lan"]
    check(saved, "the installation's language file")
    equal(saved[0].read_bytes().split(b"\r\n")[0], b"Polish", "the language kept for maintenance")


def removal_pages(s):
    """The new project installed silently, then removed by a user: the confirmation, its Remove button and the
    removal's progress page; Cancel on the confirmation keeps the product."""
    out = s.orvanta_build(s.new_project("removal"), s.folder / "removal")
    equal(s.session.run(out / "Demo.exe", "/s", timeout=180), 0, "exit code of the installation")
    installed = list(s.session.drive_c.glob(f"Program Files*/{TITLE}/readme.txt"))
    check(installed, "the product's file is installed")
    caption = f"{TITLE} Setup"
    for button, kept in (("Cancel", True), ("Remove", False)):
        process = s.start(out / "Demo.exe", "REMOVE=TRUE")
        texts = [text for _, _, text in s.ui.controls(caption, timeout_ms=60000) or []]
        check(f"Remove {TITLE}" in texts, f"the removal confirmation: {texts}")
        s.session.screenshot(f"removal-confirm-{button.lower()}.png")
        check(s.ui.click(caption, button), button)
        if button == "Cancel":
            check(s.ui.click("Orvanta", "#6", timeout_ms=30000), "Yes to the question")
        equal(process.wait(timeout=180), 0, f"exit code after {button}")
        equal(installed[0].exists(), kept, f"the product after {button}")


SCENARIOS = {f.__name__: f for f in (wizard_in_every_language, french_user_dialog, polish_silent, removal_pages)}

if __name__ == "__main__":
    sys.exit(scenario.main("languages", SCENARIOS, Languages,
                           programs=("kebstub.exe", "keb.dll", "uidriver.exe"), tools=("7zz", "wixl"), timeout=900))
