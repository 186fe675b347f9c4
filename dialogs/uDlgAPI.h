#pragma once
#include <string>

#include "system/MessageBox.h"

// The dialog runtime's entry points used during start-up.

// Prepares an empty dialog registry for the dialogs of this run; the support
// folder holds their form files.
void InitDialogs(const std::string& supportFolder);

// Loads the form file as the dialog registered under key (the decimal index of
// its "Display Dialog" command) and returns its window; 0 when none was made.
WindowHandle LoadDialog(const std::string& key, const std::string& formFile);
