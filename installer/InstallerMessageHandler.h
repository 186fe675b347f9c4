#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "installer/InstallerProgress.h"
#include "installer/uMSIAPI.h"
#include "system/MessageBox.h"

// The engine's external user interface for the Windows Installer: errors,
// warnings and questions become message boxes owned by the dialog on screen,
// progress messages become a text and a position within a total handed to a
// progress callback, and a false answer of the callback cancels the run.
class InstallerMessageHandler final : public InstallerMessageSink {
public:
    // Stores (text, minimum, maximum, position); false asks the installer to stop.
    using ProgressCallback = std::function<bool(const std::string&, int64_t, int64_t, int64_t)>;

    // Every message kind except files-in-use.
    static constexpr unsigned kMessageFilter = 0x7FDF;

    int OnInstallerMessage(unsigned type, const std::string& message) override;

    void SetProgressCallback(ProgressCallback callback);
    // Quiet: no boxes at all, each kind answers as if the user agreed.
    void SetQuiet(bool quiet);
    void SetCaption(const std::string& caption);
    void SetOwnerWindow(WindowHandle owner);

    // Message of the last fatal-exit or error message.
    std::string LastError() const;
    void ClearLastError();

    InstallerProgress Progress() const;

private:
    int HandleKind(unsigned kind, unsigned style, const std::string& message);
    int Box(const std::string& text, unsigned style, int quietAnswer) const;
    void RememberError(const std::string& message);

    mutable std::mutex lock_;  // the settings and the last error cross threads
    ProgressCallback progressCallback_;
    bool quiet_ = false;
    std::string caption_;
    WindowHandle owner_ = 0;
    std::string lastError_;

    // Written only by the installer, which calls the handler one message at a time.
    std::string actionText_;
    InstallerProgress progress_;
};

// The one handler of the process; its progress survives from one apply to the next.
InstallerMessageHandler& InstallerMessages();
