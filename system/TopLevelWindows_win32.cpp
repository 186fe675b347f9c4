#include <windows.h>

#include "system/TopLevelWindows.h"

namespace {

BOOL CALLBACK Collect(HWND window, LPARAM list) {
    try {
        char className[256] = "", title[512] = "";
        GetClassNameA(window, className, sizeof className);
        GetWindowTextA(window, title, sizeof title);
        reinterpret_cast<std::vector<TopLevelWindow>*>(list)->push_back(
            {reinterpret_cast<WindowHandle>(window), className, title});
        return TRUE;
    } catch (...) {
        return FALSE;  // out of memory: stop with what was found
    }
}

}  // namespace

std::vector<TopLevelWindow> ListTopLevelWindows() {
    std::vector<TopLevelWindow> windows;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

void AskWindowToClose(WindowHandle window) {
    const HWND target = reinterpret_cast<HWND>(window);
    PostMessageA(target, WM_CANCELMODE, 0, 0);
    PostMessageA(target, WM_CLOSE, 0, 0);
}
