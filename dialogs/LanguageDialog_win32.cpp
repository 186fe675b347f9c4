#include <windows.h>

#include "core/EngineMessages.h"
#include "core/uLanguage.h"
#include "system/ScreenPlacement.h"
#include "dialogs/LanguageDialog.h"
#include "system/WideText.h"
#include "system/WindowParts_win32.h"

namespace {

const char kLanguageClass[] = "OrvantaLanguage";
constexpr int kClientWidth = 241, kClientHeight = 127;
constexpr int kListId = 100;

// What the window procedure reports back to the modal loop.
struct Outcome {
    bool done = false;
    bool accepted = false;
};

LRESULT CALLBACK LanguageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        auto* outcome = reinterpret_cast<Outcome*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        switch (message) {
            case WM_CTLCOLORSTATIC:
                SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
                return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
            case WM_COMMAND:
                if (outcome && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
                    outcome->done = true;
                    outcome->accepted = LOWORD(wParam) == IDOK;
                    return 0;
                }
                break;
            case WM_CLOSE:
                if (outcome) outcome->done = true;
                return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

}  // namespace

std::optional<size_t> AskInstallationLanguage(const std::vector<std::string>& languages, size_t preselected) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterWhiteWindowClass(instance, kLanguageClass, LanguageProc);

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const WindowRect r = CentreOnScreen({GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, width, height);
    OwnedWindow window(CreateWindowExA(WS_EX_DLGMODALFRAME, kLanguageClass,
                                       EngineText(EngineMessage::SelectLanguageCaption).c_str(), style, r.left, r.top,
                                       width, height, nullptr, nullptr, instance, nullptr));
    if (!window) return preselected;
    Outcome outcome;
    SetWindowLongPtrA(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&outcome));

    const OwnedFont font = TahomaEightPoint();
    const auto withFont = [&font](HWND control) {
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        return control;
    };
    HWND icon = Child(window.get(), "STATIC", "", SS_ICON, 16, 16, 32, 32);
    SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(ApplicationIcon(instance)), 0);
    withFont(Child(window.get(), "STATIC", EngineText(EngineMessage::SelectLanguagePrompt).c_str(), SS_LEFT, 56, 16,
                   169, 33));
    // Each language shows under its own name, whatever the system's code page
    // holds: the list is a Unicode window.
    HWND list = withFont(CreateWindowExW(0, L"COMBOBOX", L"",
                                         WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 56, 56,
                                         169, 200, window.get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
                                         instance, nullptr));
    for (const std::string& language : languages)
        SendMessageW(list, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(WideFromUtf8(NativeLanguageName(language)).c_str()));
    SendMessageA(list, CB_SETCURSEL, preselected, 0);
    withFont(Child(window.get(), "BUTTON", EngineText(EngineMessage::Ok).c_str(), BS_DEFPUSHBUTTON | WS_TABSTOP, 72, 88,
                   75, 25, IDOK));
    withFont(Child(window.get(), "BUTTON", EngineText(EngineMessage::Cancel).c_str(), BS_PUSHBUTTON | WS_TABSTOP, 152,
                   88, 75, 25, IDCANCEL));

    ShowWindow(window.get(), SW_SHOWNORMAL);
    SetForegroundWindow(window.get());
    SetFocus(list);
    MSG message;
    while (!outcome.done && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(window.get(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    const LRESULT chosen = SendMessageA(list, CB_GETCURSEL, 0, 0);
    ShowWindow(window.get(), SW_HIDE);
    if (!outcome.accepted) return std::nullopt;
    return chosen >= 0 ? static_cast<size_t>(chosen) : preselected;
}
