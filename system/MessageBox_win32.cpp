#include <windows.h>

#include "system/MessageBox.h"

int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption, unsigned style) {
    return MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
}
