#pragma once
#include <vector>

#include "system/TopLevelWindows.h"

// Host side of the desktop: the windows tests put there and the close
// requests they received. A window asked to close leaves the list when
// closeOnRequest is set, as a well-behaved program's window would.
struct HostTopLevelWindows {
    std::vector<TopLevelWindow> windows;
    std::vector<WindowHandle> closeRequests;
    bool closeOnRequest = true;
};

HostTopLevelWindows& HostTopLevelWindowsState();
