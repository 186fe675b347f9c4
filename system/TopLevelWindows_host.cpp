#include <algorithm>

#include "system/HostTopLevelWindows.h"

HostTopLevelWindows& HostTopLevelWindowsState() {
    static HostTopLevelWindows desktop;
    return desktop;
}

std::vector<TopLevelWindow> ListTopLevelWindows() { return HostTopLevelWindowsState().windows; }

void AskWindowToClose(WindowHandle window) {
    auto& desktop = HostTopLevelWindowsState();
    desktop.closeRequests.push_back(window);
    if (desktop.closeOnRequest)
        std::erase_if(desktop.windows, [window](const TopLevelWindow& w) { return w.handle == window; });
}
