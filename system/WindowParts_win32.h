#pragma once
// Owners and small builders of the engine's own windows, for the Windows
// implementation files.
#include <windows.h>

#include <memory>

struct WindowDestroyer {
    void operator()(HWND w) const { DestroyWindow(w); }
};
using OwnedWindow = std::unique_ptr<HWND__, WindowDestroyer>;

struct GdiDeleter {
    void operator()(void* object) const { DeleteObject(static_cast<HGDIOBJ>(object)); }
};
using OwnedFont = std::unique_ptr<HFONT__, GdiDeleter>;
using OwnedBitmap = std::unique_ptr<HBITMAP__, GdiDeleter>;

inline OwnedFont TahomaEightPoint() {
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return OwnedFont(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, "Tahoma"));
}

// A visible child window at client coordinates.
inline HWND Child(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
                  int id = 0) {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

// The setup's own icon (resource 1), else the system's application icon.
inline HICON ApplicationIcon(HINSTANCE instance) {
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    return icon ? icon : LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
}

// Registers a window class of the engine's: white background, arrow cursor.
inline void RegisterWhiteWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure) {
    WNDCLASSA wc{};
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpfnWndProc = procedure;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}
