#include <windows.h>
#include <commctrl.h>

#include "core/EngineMessages.h"
#include "bootstrap/uSetupSplash.h"
#include "system/LoadedLibrary.h"
#include "system/WindowParts_win32.h"

namespace {

const char kPreparingClass[] = "OrvantaPreparing";
const char kSplashClass[] = "OrvantaSplash";

// White behind the label and the icon, as behind the window itself.
LRESULT CALLBACK PreparingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_CTLCOLORSTATIC) {
            SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        }
        if (message == WM_CLOSE) return 0;  // only start-up closes it
        return DefWindowProcA(window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

void RegisterClasses(HINSTANCE instance) {
    RegisterWhiteWindowClass(instance, kPreparingClass, PreparingProc);
    RegisterWhiteWindowClass(instance, kSplashClass, DefWindowProcA);
}

ScreenSize Screen() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// A length of the preparing window's layout, given for 96 dots per inch, at
// the screen's density: the manifest declares the engine DPI aware, so
// Windows no longer stretches its windows itself.
int Scaled(int length) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return MulDiv(length, dpi, 96);
}

void Repaint(HWND window) {
    if (window && IsWindowVisible(window))
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// Registers the progress bar's window class. comctl32.dll is the version the
// manifest asks for and stays for the process: its classes serve windows until the end.
void RegisterProgressBarClass() {
    static const LoadedLibrary commonControls = LoadedLibrary::FromActivationContext("comctl32.dll");
    const auto initialize = commonControls.Find<decltype(&InitCommonControlsEx)>("InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    if (initialize) initialize(&controls);
}

}  // namespace

struct StartupWindows::Impl {
    OwnedBitmap picture;  // outlives the splash that shows it
    OwnedFont font;       // outlives the label that uses it
    OwnedWindow splash;
    OwnedWindow preparing;
    HWND progress = nullptr;

    ~Impl() {
        // Hide before freeing, as the user sees it; the splash goes last.
        if (preparing) ShowWindow(preparing.get(), SW_HIDE);
        if (splash) ShowWindow(splash.get(), SW_HIDE);
        preparing.reset();
        splash.reset();
    }

    bool ShowSplash(HINSTANCE instance, const std::string& path) {
        picture.reset(static_cast<HBITMAP>(
            LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
        if (!picture) return false;
        BITMAP info{};
        GetObjectA(picture.get(), sizeof info, &info);
        WindowRect r = CentreOnScreen(Screen(), info.bmWidth, info.bmHeight);
        splash.reset(CreateWindowExA(WS_EX_TOOLWINDOW, kSplashClass, "", WS_POPUP, r.left, r.top, r.width,
                                     r.height, nullptr, nullptr, instance, nullptr));
        if (!splash) return false;
        HWND image = Child(splash.get(), "STATIC", "", SS_BITMAP, 0, 0, r.width, r.height);
        SendMessageA(image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.get()));
        ShowWindow(splash.get(), SW_SHOWNOACTIVATE);
        Repaint(splash.get());
        return true;
    }

    void CreatePreparing(HINSTANCE instance) {
        const DWORD style = WS_POPUP | WS_CAPTION;  // fixed single border, no system menu
        RECT frame{0, 0, Scaled(kPreparingClientWidth), Scaled(kPreparingClientHeight)};
        AdjustWindowRectEx(&frame, style, FALSE, 0);
        const int width = frame.right - frame.left, height = frame.bottom - frame.top;
        WindowRect r;
        if (splash) {
            RECT s;
            GetWindowRect(splash.get(), &s);
            r = PlaceBesideSplash({s.left, s.top, s.right - s.left, s.bottom - s.top}, Screen(), width, height);
        } else {
            r = CentreOnScreen(Screen(), width, height);
        }
        preparing.reset(CreateWindowExA(0, kPreparingClass, EngineText(EngineMessage::WizardCaption).c_str(), style,
                                        r.left, r.top, width, height, nullptr, nullptr, instance, nullptr));
        if (!preparing) return;
        font = TahomaEightPoint();
        HWND icon = Child(preparing.get(), "STATIC", "", SS_ICON, Scaled(16), Scaled(16), Scaled(32), Scaled(32));
        SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(ApplicationIcon(instance)), 0);
        HWND label = Child(preparing.get(), "STATIC", EngineText(EngineMessage::PreparingWizard).c_str(), SS_LEFT,
                           Scaled(72), Scaled(16), Scaled(297), Scaled(33));
        SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        progress = Child(preparing.get(), PROGRESS_CLASSA, "", 0, Scaled(16), Scaled(56), Scaled(353), Scaled(17));
        SendMessageA(progress, PBM_SETSTEP, 1, 0);
        ShowWindow(preparing.get(), SW_SHOWNORMAL);
        Repaint(preparing.get());
    }
};

StartupWindows::StartupWindows(const std::string& splashPicture) : impl_(std::make_unique<Impl>()) {
    RegisterProgressBarClass();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterClasses(instance);
    if (!splashPicture.empty() && !impl_->ShowSplash(instance, splashPicture)) impl_->picture.reset();
    impl_->CreatePreparing(instance);
}

StartupWindows::~StartupWindows() = default;

WindowHandle StartupWindows::PreparingWindow() const {
    return reinterpret_cast<WindowHandle>(impl_->preparing.get());
}

void StartupWindows::SetProgressRange(int count) {
    SendMessageA(impl_->progress, PBM_SETRANGE32, 0, count);
    SendMessageA(impl_->progress, PBM_SETPOS, 1, 0);
    Repaint(impl_->preparing.get());
}

void StartupWindows::Step() {
    SendMessageA(impl_->progress, PBM_STEPIT, 0, 0);
    Repaint(impl_->preparing.get());
    Repaint(impl_->splash.get());
}
