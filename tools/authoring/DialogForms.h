#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "tools/authoring/ProjectSource.h"

// The wizard dialogs of a setup: every "Display Dialog" names a form in the
// support folder (name + ".dfm") that needs its rules file beside it
// (name + ".dfm.kebf", empty when the dialog has no rules). Authors may write
// forms in the text form; the engine loads only the binary form.

// A text form starts with its first object, after an optional UTF-8 mark
// and blanks; a binary form starts with its resource header or "TPF0".
bool IsTextForm(const std::string& bytes);

// Compiles every text form (*.dfm) directly in the staged support folder to
// the binary form in place. What the forms lack or hold beyond what the
// engine knows the check has named before (tools/authoring/DialogFormCheck.h).
void PrepareDialogForms(const std::filesystem::path& stagedSupport);

// A text of a form that a language replaces when the dialog is shown: the
// form's file name, the component's name (the file name again for the
// form's own caption) and the text as designed.
struct DialogText {
    std::string form, component, text;
};
// The one-line captions and edit texts of every form directly in the folder,
// text or binary; multi-line texts stay as designed.
std::vector<DialogText> DialogTexts(const std::filesystem::path& supportFolder);
