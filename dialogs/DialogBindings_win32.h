#pragma once
// What the controls of a dialog mean to the script: the `Hint` of a control
// names the variable it shows and writes, its `Tag` gives it a role (next
// button, progress bar, readme viewer, ...). The runtime (uDlgAPI_win32.cpp)
// calls these around each display.
#include "dialogs/PoolTemplate_win32.h"
#include "core/ProgressState.h"

// Fills the controls from the variables, saving their design texts first.
void BindControls(PoolTemplate& form, const std::string& supportFolder);
// Gives the controls their design texts back.
void RestoreControls(PoolTemplate& form);
// Notes the destination folder as the dialog about to be shown shows it.
void RememberTargetTail();
// Lets go of what the bindings hold of a dialog that is about to be destroyed.
void ForgetControls(PoolTemplate& form);
// A user action: writes the bound variable, runs a button's role.
void HandleControlEvent(PoolTemplate& form, DesignedControl& control, ControlEvent event, POINT mouse);
// Applies the dialog's rules (its ".kebf" file) to its controls.
void EvaluateRules(PoolTemplate& form);
// Shows the progress state in the dialog's progress controls.
void ShowProgressIn(PoolTemplate& form, const ProgressSnapshot& progress);
