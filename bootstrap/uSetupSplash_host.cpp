#include "bootstrap/HostStartupWindows.h"
#include "bootstrap/uSetupSplash.h"

HostStartupWindowsState& HostStartupWindows() {
    static HostStartupWindowsState state;
    return state;
}

struct StartupWindows::Impl {};

StartupWindows::StartupWindows(const std::string& splashPicture) {
    HostStartupWindows() = {true, splashPicture, 0, 0};
}

StartupWindows::~StartupWindows() { HostStartupWindows().open = false; }

// A fixed handle lets tests tell boxes owned by the preparing window.
WindowHandle StartupWindows::PreparingWindow() const { return 1; }

void StartupWindows::SetProgressRange(int count) {
    HostStartupWindows().progressMaximum = count;
    HostStartupWindows().progressPosition = 1;
}

void StartupWindows::Step() { ++HostStartupWindows().progressPosition; }
