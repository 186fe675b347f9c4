#include "launcher/ExtractionWindow.h"

#include <windows.h>

#include <initializer_list>
#include <string>

namespace {

const DWORD kShowAfterMs = 500;
const int kCancelId = IDCANCEL, kTextId = 100;
const char kClassName[] = "OrvantaLauncherProgress";
bool cancelRequested = false;  // one window per process

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == WM_COMMAND && LOWORD(wParam) == kCancelId) || message == WM_CLOSE) {
        cancelRequested = true;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateProgressWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
    const int width = 340, height = 130;
    HWND window = CreateWindowExA(WS_EX_DLGMODALFRAME, kClassName, "Setup", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                  (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    if (!window) return nullptr;
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HWND text = CreateWindowExA(0, "STATIC", "Preparing the setup...", WS_CHILD | WS_VISIBLE, 16, 16, 300, 20,
                                window, reinterpret_cast<HMENU>(kTextId), windowClass.hInstance, nullptr);
    HWND cancel = CreateWindowExA(0, "BUTTON", "Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                  width - 110, 50, 85, 25, window, reinterpret_cast<HMENU>(kCancelId),
                                  windowClass.hInstance, nullptr);
    for (HWND control : {text, cancel}) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

}  // namespace

ExtractionWindow::ExtractionWindow(bool silent) : silent_(silent), started_(GetTickCount()) {}

ExtractionWindow::~ExtractionWindow() { Close(); }

void ExtractionWindow::Close() {
    if (window_) DestroyWindow(static_cast<HWND>(window_));
    window_ = nullptr;
    silent_ = true;  // not to come back
}

bool ExtractionWindow::Update(uint64_t done, uint64_t total) {
    if (silent_) return true;
    if (!window_ && GetTickCount() - started_ >= kShowAfterMs) window_ = CreateProgressWindow();
    if (window_) {
        const int percent = total ? static_cast<int>(done * 100 / total) : 0;
        if (percent != shownPercent_) {
            const std::string text = "Preparing the setup... " + std::to_string(percent) + " %";
            SetDlgItemTextA(static_cast<HWND>(window_), kTextId, text.c_str());
            shownPercent_ = percent;
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessageA(static_cast<HWND>(window_), &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
    }
    return !cancelRequested;
}
