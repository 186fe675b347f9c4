// Holds top-level windows for the window-closing tests and logs, one line a
// message, the close and cancel-mode requests each window receives:
// "CLOSE <title>" or "CANCELMODE <title>". Windows titled "Closable ..." go
// when asked to close, the others stay. Writes LOG.ready once the windows
// exist and ends when LOG.release appears or after a minute.
// usage: windowholder LOG TITLE...
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

FILE* logFile = nullptr;

void Log(const char* what, HWND window) {
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    std::fprintf(logFile, "%s %s\n", what, title);
    std::fflush(logFile);
}

LRESULT CALLBACK HolderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CANCELMODE:
            Log("CANCELMODE", window);
            return 0;
        case WM_CLOSE: {
            Log("CLOSE", window);
            char title[256] = "";
            GetWindowTextA(window, title, sizeof title);
            if (std::string(title).rfind("Closable", 0) == 0) DestroyWindow(window);
            return 0;
        }
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: windowholder LOG TITLE...\n");
        return 2;
    }
    const std::string log = argv[1];
    const std::string releaseFile = log + ".release";
    logFile = std::fopen(log.c_str(), "w");
    if (!logFile) return 1;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = HolderProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "OrvantaWindowHolder";
    RegisterClassA(&windowClass);
    for (int i = 2; i < argc; ++i)
        CreateWindowA("OrvantaWindowHolder", argv[i], WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20 * i, 20 * i, 200, 100,
                      nullptr, nullptr, windowClass.hInstance, nullptr);
    // A thread timer: its messages come to the loop below, whatever windows remain.
    SetTimer(nullptr, 0, 100, nullptr);
    const DWORD started = GetTickCount();
    if (FILE* ready = std::fopen((log + ".ready").c_str(), "w")) std::fclose(ready);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && !message.hwnd) {
            if (GetFileAttributesA(releaseFile.c_str()) != INVALID_FILE_ATTRIBUTES) break;
            if (GetTickCount() - started > 60000) break;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    std::fclose(logFile);
    return 0;
}
