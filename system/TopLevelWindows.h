#pragma once
#include <string>
#include <vector>

#include "system/MessageBox.h"

// The desktop's top-level windows, as other programs own them.
struct TopLevelWindow {
    WindowHandle handle = 0;
    std::string className;
    std::string title;
};

// Every top-level window, in the system's order (topmost first).
std::vector<TopLevelWindow> ListTopLevelWindows();
// Posts the window a cancel-mode request and then a close request; does not wait.
void AskWindowToClose(WindowHandle window);
