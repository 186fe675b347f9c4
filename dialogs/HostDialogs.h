#pragma once
#include <deque>
#include <string>
#include <vector>

#include "dialogs/uDlgAPI.h"

// Host side of the dialog runtime: records each call as a line ("load 3
// welcome.dfm", "prepare 3", "show 3 modal", "release 3", "hide temp") and
// answers modal displays from a queue the tests fill (next when empty).
struct HostDialogs {
    std::vector<std::string> calls;
    std::deque<DialogOutcome> answers;
    WindowHandle modelessWindow = 4242;
};

HostDialogs& HostDialogState();
