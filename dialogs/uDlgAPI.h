#pragma once
// uDlgAPI: the dialog runtime: prepares, shows and hides the wizard dialogs
// built from the preloaded forms, and reads the user's choice back.
#include <string>

#include "system/MessageBox.h"

// The dialog runtime: the wizard dialogs of a run, loaded once at start-up
// from their form files, filled from the variables before they are shown
// (prepare), shown modally or modelessly, and put back into their designed
// state afterwards (release). Dialogs are registered under keys (the decimal
// index of their "Display Dialog" command); keys compare upper-cased.
// Everything runs on the main thread; only the progress state
// (core/ProgressState.h) is shared with worker threads.

// What a display of a dialog returned.
struct DialogOutcome {
    // Modal: 2 cancel, 6 next, 7 back, 8 custom exit. Modeless: the window.
    int result = 6;
    std::string text;          // for 8: the name of the control that ended the dialog
    WindowHandle window = 0;   // modeless: the dialog's window
};

// Prepares an empty dialog registry for this run; the support folder holds
// the form files and is the current directory while a dialog is shown.
void InitDialogs(const std::string& supportFolder);

// Loads the form file (and its rules file, the form's name followed by
// ".kebf") as the dialog registered under key, replacing a dialog loaded
// under the same key. Returns its window. Throws on a missing or malformed
// form or rules file, naming the file.
WindowHandle LoadDialog(const std::string& key, const std::string& formFile);

// Fills the dialog's controls from the variables. Nothing in silent runs.
void PrepareDialog(const std::string& key);
// Puts the dialog's controls back into their designed state. Nothing in
// silent runs.
void ReleaseDialog(const std::string& key);
// Shows the dialog. Modal: returns when the user leaves it. Modeless:
// returns at once with its window. Silent runs show nothing and get 6.
DialogOutcome ShowDialog(const std::string& key, bool modal);
// Hides the dialog on screen, then the dialog registered under name.
void HideCurrentDialog(const std::string& name);
// Copies the progress state into the dialog on screen; returns whether the
// user asked to cancel.
bool RefreshProgressDisplay();
// Destroys every dialog of the run.
void FreeDialogs();

// Stops (frozen) and resumes the repainting of a window while the next
// dialog is prepared, so the user never sees half-filled controls.
void FreezeRepaint(WindowHandle window, bool frozen);
