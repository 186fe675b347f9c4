#include "dialogs/uDlgAPI.h"

// The runtime keeps no dialogs yet: every form is accepted and no window is made.
void InitDialogs(const std::string&) {}

WindowHandle LoadDialog(const std::string&, const std::string&) { return 0; }
