#include <windows.h>

#include <string>
#include <vector>

#include "core/EngineMessages.h"
#include "system/ScreenPlacement.h"
#include "core/ProgressState.h"
#include "dialogs/RetryDialogs.h"
#include "system/WindowParts_win32.h"

namespace {

const char kRetryClass[] = "OrvantaRetry";
constexpr int kFirstControlId = 100;

struct Outcome {
    bool done = false;
    bool accepted = false;
};

LRESULT CALLBACK RetryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        auto* outcome = reinterpret_cast<Outcome*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_COMMAND && outcome && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
            outcome->done = true;
            outcome->accepted = LOWORD(wParam) == IDOK;
            return 0;
        }
        if (message == WM_CLOSE) {
            if (outcome) outcome->done = true;
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

// A small modal question window built in code, owned by the dialog on
// screen, which stays disabled while it is open.
class QuestionWindow {
public:
    QuestionWindow(EngineMessage caption, int clientWidth, int clientHeight)
        : owner_(reinterpret_cast<HWND>(ProgressOwnerWindow())) {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA wc{};
        wc.hInstance = instance;
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.lpfnWndProc = RetryProc;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kRetryClass;
        RegisterClassA(&wc);
        const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        RECT frame{0, 0, clientWidth, clientHeight};
        AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
        const int width = frame.right - frame.left, height = frame.bottom - frame.top;
        const WindowRect r =
            CentreOnScreen({GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, width, height);
        window_.reset(CreateWindowExA(WS_EX_DLGMODALFRAME, kRetryClass, EngineText(caption).c_str(), style, r.left,
                                      r.top, width, height, owner_, nullptr, instance, nullptr));
        if (window_) SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&outcome_));
    }
    QuestionWindow(const QuestionWindow&) = delete;
    QuestionWindow& operator=(const QuestionWindow&) = delete;

    explicit operator bool() const { return static_cast<bool>(window_); }

    HWND Add(const char* cls, const std::string& text, DWORD style, int x, int y, int w, int h, int id = 0) {
        HWND control = Child(window_.get(), cls, text.c_str(), style, x, y, w, h, id);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        return control;
    }
    HWND Label(EngineMessage text, int x, int y, int w, int h) {
        return Add("STATIC", EngineText(text), SS_LEFT, x, y, w, h);
    }
    HWND Edit(const std::string& value, bool password, int x, int y, int w) {
        HWND edit = Add("EDIT", value, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | (password ? ES_PASSWORD : 0), x, y, w,
                        21, nextId_++);
        return edit;
    }
    HWND Radio(EngineMessage text, bool first, bool checked, int x, int y, int w) {
        HWND radio = Add("BUTTON", EngineText(text), BS_AUTORADIOBUTTON | WS_TABSTOP | (first ? WS_GROUP : 0), x, y, w,
                         20, nextId_++);
        if (checked) SendMessageA(radio, BM_SETCHECK, BST_CHECKED, 0);
        return radio;
    }
    void Buttons(EngineMessage accept, EngineMessage reject, int y, int clientWidth) {
        Add("BUTTON", EngineText(accept), BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, clientWidth - 170, y, 75, 25, IDOK);
        Add("BUTTON", EngineText(reject), BS_PUSHBUTTON | WS_TABSTOP, clientWidth - 88, y, 75, 25, IDCANCEL);
    }

    // Shows the window and runs its message loop: true when accepted.
    bool Run(HWND focus) {
        if (owner_) EnableWindow(owner_, FALSE);
        ShowWindow(window_.get(), SW_SHOWNORMAL);
        SetForegroundWindow(window_.get());
        if (focus) SetFocus(focus);
        MSG message;
        while (!outcome_.done && GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (IsDialogMessageA(window_.get(), &message)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (owner_) EnableWindow(owner_, TRUE);
        ShowWindow(window_.get(), SW_HIDE);
        return outcome_.accepted;
    }

private:
    HWND owner_;
    OwnedWindow window_;
    OwnedFont font_ = TahomaEightPoint();
    Outcome outcome_;
    int nextId_ = kFirstControlId;
};

std::string TextOf(HWND control) {
    const int length = GetWindowTextLengthA(control);
    std::vector<char> text(static_cast<size_t>(length) + 1);
    GetWindowTextA(control, text.data(), length + 1);
    return std::string(text.data());
}

bool Checked(HWND radio) { return SendMessageA(radio, BM_GETCHECK, 0, 0) == BST_CHECKED; }

}  // namespace

bool AskRetryDownloadWithProxy(ProxyFields& fields) {
    constexpr int kWidth = 380, kHeight = 290;
    QuestionWindow q(EngineMessage::RetryDownloadCaption, kWidth, kHeight);
    if (!q) return false;
    q.Label(EngineMessage::RetryDownloadQuestion, 12, 12, kWidth - 24, 30);
    q.Add("BUTTON", EngineText(EngineMessage::ProxyGroup), BS_GROUPBOX, 12, 48, kWidth - 24, 150);
    const EngineMessage labels[] = {EngineMessage::ProxyServer, EngineMessage::ProxyPort, EngineMessage::ProxyUser,
                                    EngineMessage::ProxyPassword};
    const std::string values[] = {fields.server, fields.port, fields.user, fields.password};
    HWND edits[4];
    for (int i = 0; i < 4; ++i) {
        q.Label(labels[i], 24, 72 + i * 30, 110, 20);
        edits[i] = q.Edit(values[i], i == 3, 140, 70 + i * 30, kWidth - 164);
    }
    q.Label(EngineMessage::RetryDownloadExitNote, 12, 206, kWidth - 24, 44);
    q.Buttons(EngineMessage::Yes, EngineMessage::No, kHeight - 35, kWidth);
    if (!q.Run(edits[0])) return false;
    fields = {TextOf(edits[0]), TextOf(edits[1]), TextOf(edits[2]), TextOf(edits[3])};
    return true;
}

std::optional<bool> AskRetryDownloadResume(bool resume) {
    constexpr int kWidth = 380, kHeight = 200;
    QuestionWindow q(EngineMessage::RetryDownloadCaption, kWidth, kHeight);
    if (!q) return std::nullopt;
    q.Label(EngineMessage::ResumeDownloadQuestion, 12, 12, kWidth - 24, 30);
    q.Label(EngineMessage::WouldYouLike, 12, 48, kWidth - 24, 18);
    HWND resumeChoice = q.Radio(EngineMessage::ResumeChoice, true, resume, 24, 70, kWidth - 36);
    q.Radio(EngineMessage::NewCopyChoice, false, !resume, 24, 94, kWidth - 36);
    q.Label(EngineMessage::ResumeDownloadExitNote, 12, 124, kWidth - 24, 36);
    q.Buttons(EngineMessage::Ok, EngineMessage::Cancel, kHeight - 35, kWidth);
    if (!q.Run(resumeChoice)) return std::nullopt;
    return Checked(resumeChoice);
}

ExtractionRetry AskRetryExtraction() {
    constexpr int kWidth = 380, kHeight = 180;
    QuestionWindow q(EngineMessage::RetryExtractionCaption, kWidth, kHeight);
    if (!q) return ExtractionRetry::Cancel;
    q.Label(EngineMessage::RetryExtractionQuestion, 12, 12, kWidth - 24, 30);
    HWND fresh = q.Radio(EngineMessage::FreshCopyChoice, true, true, 24, 50, kWidth - 36);
    q.Radio(EngineMessage::ExtractAgainChoice, false, false, 24, 74, kWidth - 36);
    q.Label(EngineMessage::RetryExtractionExitNote, 12, 104, kWidth - 24, 36);
    q.Buttons(EngineMessage::Ok, EngineMessage::Cancel, kHeight - 35, kWidth);
    if (!q.Run(fresh)) return ExtractionRetry::Cancel;
    return Checked(fresh) ? ExtractionRetry::DownloadFresh : ExtractionRetry::ExtractAgain;
}
