// Masked edits: the shown text keeps the mask's literals and blanks, typed
// characters go only where the mask takes them, the control's text is the
// mask's value of what is shown.
#include <windows.h>

#include <algorithm>

#include "dialogs/DesignedControls_win32.h"

namespace {

std::string ShownText(HWND window) {
    char text[1024] = {};
    const int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, static_cast<size_t>(std::max(length, 0)));
}

size_t CaretOf(HWND window) {
    DWORD start = 0, end = 0;
    SendMessageA(window, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return start;
}

// Shows the new text (a change the control reports) and puts the caret at the position.
void Show(HWND window, const std::string& shown, size_t caret) {
    if (ShownText(window) != shown) SetWindowTextA(window, shown.c_str());
    SendMessageA(window, EM_SETSEL, caret, caret);
}

// The shown text as the mask makes it, whatever the window holds now.
std::string Conformed(const EditMask& mask, HWND window) {
    std::string shown = ShownText(window);
    if (shown.size() != mask.Size()) shown = mask.Shown(shown);
    return shown;
}

}  // namespace

void AttachMask(ControlRecord& record, const std::string& designedMask) {
    EditMask mask(designedMask);
    if (mask.Empty()) {
        record.mask.reset();
        return;
    }
    record.mask = std::move(mask);
}

std::string MaskedShown(const ControlRecord& record, const std::string& value) {
    return record.mask ? record.mask->Shown(value) : value;
}

std::optional<LRESULT> MaskedEditMessage(ControlRecord& record, HWND window, UINT message, WPARAM wParam) {
    if (!record.mask) return std::nullopt;
    const EditMask& mask = *record.mask;
    switch (message) {
        case WM_CHAR: {
            const char typed = static_cast<char>(wParam);
            std::string shown = Conformed(mask, window);
            if (typed == '\b') {
                if (const auto previous = mask.PreviousInput(CaretOf(window))) {
                    shown[*previous] = mask.Blank();
                    Show(window, shown, *previous);
                }
                return 0;
            }
            if (static_cast<unsigned char>(typed) < ' ') return typed == 3 ? std::nullopt : std::optional<LRESULT>(0);
            const size_t at = mask.NextInput(CaretOf(window));
            const auto accepted = mask.Accept(at, typed);
            if (!accepted) {
                MessageBeep(MB_OK);
                return 0;
            }
            shown[at] = *accepted;
            Show(window, shown, mask.NextInput(at + 1));
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == VK_DELETE) {
                std::string shown = Conformed(mask, window);
                const size_t caret = CaretOf(window);
                if (mask.IsInput(caret)) shown[caret] = mask.Blank();
                Show(window, shown, caret);
                return 0;
            }
            return std::nullopt;
        case WM_PASTE:
        case WM_CUT:
        case WM_CLEAR:
            return 0;  // only typed characters pass the mask
    }
    return std::nullopt;
}
