#include "installer/InstallerMessageHandler.h"

#include <algorithm>

#include "core/EngineMessages.h"

namespace {
enum MessageKind : unsigned {
    kFatalExit = 0, kError = 1, kWarning = 2, kUser = 3, kInfo = 4, kResolveSource = 6,
    kOutOfDiskSpace = 7, kActionStart = 8, kActionData = 9, kProgress = 10, kCommonData = 11,
    kInitialize = 12, kTerminate = 13, kShowDialog = 14,
};

std::string Headed(EngineMessage heading, const std::string& message) {
    return EngineText(heading) + "\r\r" + message;
}

// "Action 10:15:02: InstallFiles. Copying new files" shows "Copying new files".
std::string ActionDescription(const std::string& message) {
    size_t period = message.find('.');
    if (period == std::string::npos) return message;
    return message.substr(std::min(period + 2, message.size()));
}
}  // namespace

int InstallerMessageHandler::OnInstallerMessage(unsigned type, const std::string& message) {
    int answer = HandleKind(type >> 24, type & 0x00FFFFFF, message);
    ProgressCallback callback;
    {
        std::lock_guard<std::mutex> guard(lock_);
        callback = progressCallback_;
    }
    if (callback && !callback(actionText_, 0, progress_.total, progress_.position)) return kIdCancel;
    return answer;
}

int InstallerMessageHandler::HandleKind(unsigned kind, unsigned style, const std::string& message) {
    switch (kind) {
    case kFatalExit:
        RememberError(message);
        return Box(Headed(EngineMessage::FatalErrorHeading, message), style | kMbIconError, 0);
    case kError:
        RememberError(message);
        return Box(Headed(EngineMessage::ErrorHeading, message), style | kMbIconError, 1);
    case kWarning:
        return Box(Headed(EngineMessage::WarningHeading, message), style | kMbIconWarning, 1);
    case kUser:
        return Box(message, style | kMbIconQuestion, 1);
    case kOutOfDiskSpace:
        return Box(Headed(EngineMessage::OutOfDiskSpaceHeading, message), style | kMbIconError, 1);
    case kResolveSource:
        return 0;  // the installer's own source prompt stays on and answers it
    case kActionStart:
        actionText_ = ActionDescription(message);
        return 1;
    case kActionData:
        actionText_ = message;
        progress_.ActionData();
        return 1;
    case kProgress:
        progress_.Apply(ReadProgressFields(message));
        return 1;
    case kInfo:
    case kCommonData:
    case kInitialize:
    case kTerminate:
    case kShowDialog:
        return 1;
    default:
        return 0;
    }
}

int InstallerMessageHandler::Box(const std::string& text, unsigned style, int quietAnswer) const {
    bool quiet;
    std::string caption;
    WindowHandle owner;
    {
        std::lock_guard<std::mutex> guard(lock_);
        quiet = quiet_;
        caption = caption_;
        owner = owner_;
    }
    if (quiet) return quietAnswer;
    return ShowMessageBox(owner, text, caption, style);
}

void InstallerMessageHandler::RememberError(const std::string& message) {
    std::lock_guard<std::mutex> guard(lock_);
    lastError_ = message;
}

void InstallerMessageHandler::SetProgressCallback(ProgressCallback callback) {
    std::lock_guard<std::mutex> guard(lock_);
    progressCallback_ = std::move(callback);
}

void InstallerMessageHandler::SetQuiet(bool quiet) {
    std::lock_guard<std::mutex> guard(lock_);
    quiet_ = quiet;
}

void InstallerMessageHandler::SetCaption(const std::string& caption) {
    std::lock_guard<std::mutex> guard(lock_);
    caption_ = caption;
}

void InstallerMessageHandler::SetOwnerWindow(WindowHandle owner) {
    std::lock_guard<std::mutex> guard(lock_);
    owner_ = owner;
}

std::string InstallerMessageHandler::LastError() const {
    std::lock_guard<std::mutex> guard(lock_);
    return lastError_;
}

void InstallerMessageHandler::ClearLastError() {
    std::lock_guard<std::mutex> guard(lock_);
    lastError_.clear();
}

InstallerProgress InstallerMessageHandler::Progress() const { return progress_; }

InstallerMessageHandler& InstallerMessages() {
    static InstallerMessageHandler handler;
    return handler;
}
