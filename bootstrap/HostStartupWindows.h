#pragma once
#include <string>

// Host side of the start-up windows: what would be on screen.
struct HostStartupWindowsState {
    bool open = false;
    std::string splashPicture;
    int progressMaximum = 0;
    int progressPosition = 0;
};

HostStartupWindowsState& HostStartupWindows();
