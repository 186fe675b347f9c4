#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "tools/authoring/ProjectSource.h"

// The wizard dialogs of a setup: every "Display Dialog" names a form in the
// support folder (name + ".dfm") that needs its rules file beside it
// (name + ".dfm.kebf", empty when the dialog has no rules). Authors may write
// forms in the text form; the engine loads only the binary form.

// Compiles every text form (*.dfm) directly in the staged support folder to
// the binary form in place, then checks that each dialog the script displays
// has its form, one the engine can build, and its rules file there. Errors name the form file, or the
// project's source line of the command whose dialog is missing.
void PrepareDialogForms(const Project& project, const std::filesystem::path& stagedSupport);

// A text of a form that a language replaces when the dialog is shown: the
// form's file name, the component's name (the file name again for the
// form's own caption) and the text as designed.
struct DialogText {
    std::string form, component, text;
};
// The one-line captions and edit texts of every form directly in the folder,
// text or binary; multi-line texts stay as designed.
std::vector<DialogText> DialogTexts(const std::filesystem::path& supportFolder);
