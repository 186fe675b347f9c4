#include "dialogs/uDlgAPI.h"

#include <windows.h>

#include <memory>
#include <set>
#include <vector>

#include "core/EngineLog.h"
#include "core/StartupValues.h"
#include "system/ScreenPlacement.h"
#include "dialogs/DialogBindings_win32.h"
#include "dialogs/UnknownDesign.h"
#include "dialogs/DialogPlacement.h"
#include "dialogs/PoolTemplate_win32.h"
#include "core/ProgressState.h"
#include "core/InterpreterHooks.h"
#include "system/CurrentFolder.h"
#include "system/PathParts.h"
#include "system/Files.h"
#include "system/TextUtils.h"

namespace {

// A silent run never shows a dialog, so its forms are only checked at
// start-up; a window is built when a dialog is first needed.
struct RegisteredDialog {
    std::string key;  // upper-cased
    std::string formFile;
    std::vector<std::string> rules;
    std::unique_ptr<PoolTemplate> form;  // null until built
};

struct Runtime {
    std::string supportFolder;
    std::vector<RegisteredDialog> registry;
    PlacementMemory placement;
    std::string lastShownKey;
    PoolTemplate* current = nullptr;
    HWND releasedWindow = nullptr;
    std::set<std::string> loggedForms;  // upper-cased paths whose left-out design is in the log
};

Runtime& State() {
    static Runtime runtime;
    return runtime;
}

PoolTemplate* Find(const std::string& key) {
    const std::string wanted = UpperAscii(key);
    for (RegisteredDialog& dialog : State().registry)
        if (dialog.key == wanted) return dialog.form.get();
    return nullptr;
}


// Runs the messages waiting for this thread; keyboard navigation (Tab, Enter,
// Esc) goes to the dialog on screen.
void ProcessPendingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        PoolTemplate* current = State().current;
        if (current && IsDialogMessageA(current->Window(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void WaitForMessage() { MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT); }


void OnTimer();

void Build(RegisteredDialog& dialog) {
    CurrentFolderScope folder(FolderOfScriptPath(dialog.formFile));
    dialog.form = PoolTemplate::Load(dialog.formFile);
    PoolTemplate* form = dialog.form.get();
    form->rules = dialog.rules;
    form->onEvent = [form](DesignedControl& control, ControlEvent event, POINT mouse) {
        HandleControlEvent(*form, control, event, mouse);
    };
    form->onTimer = OnTimer;
}

PoolTemplate& Registered(const std::string& key) {
    const std::string wanted = UpperAscii(key);
    for (RegisteredDialog& dialog : State().registry) {
        if (dialog.key != wanted) continue;
        if (!dialog.form) Build(dialog);
        return *dialog.form;
    }
    throw std::runtime_error("No dialog is loaded for the command at index " + key);
}

RECT WindowBounds(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

void RememberPosition(HWND window) {
    const RECT r = WindowBounds(window);
    State().placement.Remember(r.left, r.top);
}

void HideWindowIfOther(HWND window, HWND keep) {
    if (window && window != keep) ShowWindow(window, SW_HIDE);
}

// Every time a dialog is shown its system menu starts afresh with Close
// greyed: the dialog ends through its own buttons only.
void GreyCloseCommand(HWND window) {
    GetSystemMenu(window, TRUE);
    if (HMENU menu = GetSystemMenu(window, FALSE)) EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
}

void BringForward(PoolTemplate& form) {
    ShowWindow(form.Window(), SW_SHOW);
    SetForegroundWindow(form.Window());
    SetFocus(form.Window());
    SendMessageA(form.Window(), WM_NEXTDLGCTL, 0, FALSE);
    ProcessPendingMessages();
}

// The new dialog is on screen before the old one goes, so the screen never
// shows a gap between two pages of the wizard.
void DisplaySequence(PoolTemplate& form) {
    Runtime& runtime = State();
    form.canClose = false;
    GreyCloseCommand(form.Window());
    BringForward(form);
    if (runtime.current && runtime.current != &form) {
        runtime.current->canClose = true;
        ShowWindow(runtime.current->Window(), SW_HIDE);
        HideWindowIfOther(runtime.releasedWindow, form.Window());
        ProcessPendingMessages();
    }
    runtime.current = &form;
    SetProgressOwnerWindow(form.modeless ? reinterpret_cast<WindowHandle>(form.Window()) : 0);
    BringForward(form);
}

void Place(PoolTemplate& form) {
    Runtime& runtime = State();
    const RECT r = WindowBounds(form.Window());
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (runtime.placement.ShouldCentre(width, height)) {
        RECT work{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        const WindowRect centred =
            CentreOnScreen({static_cast<int>(work.right - work.left), static_cast<int>(work.bottom - work.top)},
                           width, height);
        SetWindowPos(form.Window(), nullptr, work.left + centred.left, work.top + centred.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetWindowPos(form.Window(), nullptr, runtime.placement.Left(), runtime.placement.Top(), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void HideDialog(PoolTemplate& form) {
    Runtime& runtime = State();
    form.canClose = true;
    ShowWindow(form.Window(), SW_HIDE);
    HideWindowIfOther(runtime.releasedWindow, nullptr);
    ProcessPendingMessages();
    if (runtime.current == &form) {
        runtime.current = nullptr;
        SetProgressOwnerWindow(0);
    }
    runtime.lastShownKey.clear();
    RememberPosition(form.Window());
}

void OnTimer() {
    if (LongOperationRunning()) RefreshProgressDisplay();
}

void ConnectInterpreter() {
    InterpreterHooks& hooks = Hooks();
    hooks.processMessages = ProcessPendingMessages;
    hooks.processOneMessage = ProcessPendingMessages;
    hooks.cancelRequested = [] { return CancelState() == -1; };
    hooks.dialogShowing = [] { return !State().lastShownKey.empty(); };
    hooks.showProgress = [](const std::string& text, int percent) {
        SetProgress(text, 0, 100, percent);
        RefreshProgressDisplay();
    };
    hooks.releaseDialogs = FreeDialogs;
}

}  // namespace

void InitDialogs(const std::string& supportFolder) {
    Runtime& runtime = State();
    FreeDialogs();
    runtime.supportFolder = supportFolder;
    runtime.placement = PlacementMemory();
    runtime.loggedForms.clear();
    runtime.lastShownKey.clear();
    SetCancelRequested(false);
    // The folder controls would otherwise ask about drives without a medium.
    SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS);
    ConnectInterpreter();
}

WindowHandle LoadDialog(const std::string& key, const std::string& formFile) {
    Runtime& runtime = State();
    CurrentFolderScope folder(FolderOfScriptPath(formFile));
    for (auto it = runtime.registry.begin(); it != runtime.registry.end(); ++it) {
        if (it->key != UpperAscii(key)) continue;
        if (it->form) {
            if (runtime.current == it->form.get()) runtime.current = nullptr;
            ForgetControls(*it->form);
            ShowWindow(it->form->Window(), SW_HIDE);
        }
        runtime.registry.erase(it);
        ProcessPendingMessages();
        break;
    }
    const std::string rulesFile = formFile + ".kebf";
    const std::optional<std::string> rules = ReadFileText(rulesFile);
    if (!rules) throw std::runtime_error("Cannot open file \"" + rulesFile + "\".");
    RegisteredDialog dialog{UpperAscii(key), formFile, SplitLines(*rules), nullptr};
    const std::string name = formFile.substr(FolderOfScriptPath(formFile).size());
    std::vector<UnknownDesign> leftOut;
    if (Startup().silent) {
        const std::optional<std::string> bytes = ReadFileText(formFile);
        if (!bytes) throw std::runtime_error("Cannot open file \"" + formFile + "\".");
        try {
            leftOut = FindUnknownDesign(ReadBinaryForm(*bytes).root);
        } catch (const FormError& e) {
            throw FormError(name + ": " + e.what());
        }
    } else {
        Build(dialog);
        leftOut = dialog.form->LeftOut();
    }
    // A form shown by several commands is named in the log once.
    if (runtime.loggedForms.insert(UpperAscii(formFile)).second)
        for (const std::string& line : UnknownDesignLogLines(name, leftOut)) AppendToEngineLog(line);
    const HWND window = dialog.form ? dialog.form->Window() : nullptr;
    runtime.registry.push_back(std::move(dialog));
    return reinterpret_cast<WindowHandle>(window);
}

void PrepareDialog(const std::string& key) {
    if (Startup().silent) return;
    BindControls(Registered(key), State().supportFolder);
}

void ReleaseDialog(const std::string& key) {
    if (Startup().silent) return;
    PoolTemplate& form = Registered(key);
    State().releasedWindow = form.Window();
    RestoreControls(form);
}

DialogOutcome ShowDialog(const std::string& key, bool modal) {
    Runtime& runtime = State();
    SetCancelRequested(false);
    runtime.lastShownKey = key;
    if (Startup().silent) return {};
    PoolTemplate& form = Registered(key);
    CurrentFolderScope folder(runtime.supportFolder);
    RememberTargetTail();
    Place(form);
    form.modeless = !modal;
    DialogOutcome outcome;
    if (modal) {
        form.resultCode = -1;
        DisplaySequence(form);
        while (form.resultCode == -1) {
            ProcessPendingMessages();
            if (form.resultCode == -1) WaitForMessage();
        }
        outcome.result = form.resultCode;
        if (outcome.result == 8) outcome.text = form.resultText;
        runtime.lastShownKey.clear();
    } else {
        DisplaySequence(form);
        outcome.window = reinterpret_cast<WindowHandle>(form.Window());
    }
    RememberPosition(form.Window());
    return outcome;
}

void HideCurrentDialog(const std::string& name) {
    Runtime& runtime = State();
    if (!runtime.lastShownKey.empty())
        if (PoolTemplate* form = Find(runtime.lastShownKey)) HideDialog(*form);
    if (PoolTemplate* form = Find(name)) HideDialog(*form);
}

bool RefreshProgressDisplay() {
    Runtime& runtime = State();
    if (Startup().silent) return false;
    if (!runtime.lastShownKey.empty())
        if (PoolTemplate* form = Find(runtime.lastShownKey)) ShowProgressIn(*form, ReadProgress());
    return CancelState() == -1;
}

void FreeDialogs() {
    Runtime& runtime = State();
    runtime.current = nullptr;
    runtime.releasedWindow = nullptr;
    runtime.lastShownKey.clear();
    for (RegisteredDialog& dialog : runtime.registry)
        if (dialog.form) ForgetControls(*dialog.form);
    runtime.registry.clear();
    SetProgressOwnerWindow(0);
}

void FreezeRepaint(WindowHandle window, bool frozen) {
    if (!window) return;
    const HWND handle = reinterpret_cast<HWND>(window);
    SendMessageA(handle, WM_SETREDRAW, frozen ? FALSE : TRUE, 0);
    if (!frozen) RedrawWindow(handle, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}
