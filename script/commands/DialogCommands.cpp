#include <string>

#include "dialogs/uDlgAPI.h"
#include "script/CommandTable.h"
#include "core/VariableStore.h"
#include "script/commands/CommandFamilies.h"
#include "system/TextUtils.h"

// "Display Dialog" and "Hide Dialog": the script's side of the wizard
// dialogs. A dialog is known to the runtime by its key, the decimal index of
// its command, under which start-up loaded its form.

namespace {

void SetWindowHandle(InterpreterControl& control, WindowHandle window, const char* commandName) {
    control.modelessWindow = window;
    SetVariable("WINDOWHANDLE", std::to_string(window), commandName);
}

std::string ResultText(const DialogOutcome& outcome) {
    switch (outcome.result) {
    case 2: return "CANCEL";
    case 6: return "NEXT";
    case 7: return "BACK";
    case 8: return UpperAscii(outcome.text);
    default: return std::to_string(outcome.result);
    }
}

// The condition variable must exist; the dialog is skipped when its value
// equals the skip flag.
bool Skipped(const CommandContext& c) {
    if (c.Raw(4).empty()) return false;
    const std::string name = c.VariableName(4);
    return TextToBool(GetVariable(name)) == c.Flag(6);
}

void DisplayDialog(CommandContext& c) {
    if (Skipped(c)) return;
    InterpreterControl& control = c.control();
    const std::string key = std::to_string(c.number());
    if (!control.lastModalDialogKey.empty()) {
        ReleaseDialog(control.lastModalDialogKey);
        control.lastModalDialogKey.clear();
    }
    FreezeRepaint(control.modelessWindow, true);
    try {
        PrepareDialog(key);
    } catch (...) {
        FreezeRepaint(control.modelessWindow, false);
        throw;
    }
    FreezeRepaint(control.modelessWindow, false);

    const bool modal = control.wizardActive || c.Flag(3);
    const DialogOutcome outcome = ShowDialog(key, modal);
    std::string result;
    if (modal) {
        control.lastModalDialogKey = key;
        if (!control.wizardActive) SetWindowHandle(control, 0, "Display Dialog");
        result = ResultText(outcome);
    } else {
        SetWindowHandle(control, outcome.window, "Display Dialog");
        result = "NOTMODAL";
    }
    if (!c.Raw(2).empty()) c.SetResult(c.Raw(2), result);

    if (!control.wizardActive) return;
    if (outcome.result == 2) control.wizardDirection = 0;
    else if (outcome.result == 6) control.wizardDirection = 1;
    else if (outcome.result == 7) control.wizardDirection = -1;
}

void HideDialog(CommandContext& c) {
    HideCurrentDialog("temp");
    SetWindowHandle(c.control(), 0, "Hide Dialog");
}

}  // namespace

void RegisterDialogCommands(CommandTable& table) {
    table.Register("Display Dialog", DisplayDialog);
    table.Register("Hide Dialog", HideDialog);
}
