#pragma once
#include <functional>
#include <string>

// What the interpreter asks of the dialog runtime between commands. The
// dialog runtime fills these in when it starts; without it a run has no
// windows: no cancel request, no progress display, no messages to process.
struct InterpreterHooks {
    std::function<void()> processMessages;     // let the user interface process pending messages
    std::function<bool()> cancelRequested;     // the user pressed the dialog's cancel button
    std::function<bool()> dialogShowing;       // a dialog window is showing
    std::function<void(const std::string& text, int percent)> showProgress;
    std::function<void()> processOneMessage;
    std::function<void()> releaseDialogs;      // end of run: forms, dialog registry, feature menus
    // Host dry runs only: a command at this 1-based position needs Windows
    // (why); returning true skips it, otherwise the script fails there.
    std::function<bool(int position, const std::string& why)> skipsWindowsOnly;
};

InterpreterHooks& Hooks();
