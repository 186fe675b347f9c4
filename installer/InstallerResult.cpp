#include "installer/InstallerResult.h"

#include "core/EngineMessages.h"
#include "installer/uMSIAPI.h"
#include "system/SystemMessage.h"

ApplyResult ResultOf(const ApplyFlags& flags) {
    if (flags.cancelled) return kApplyCancelled;
    if (flags.failed) return kApplyFailed;
    if (flags.reboot) return kApplyNeedsReboot;
    return kApplySucceeded;
}

void TakeInstallerCode(unsigned code, ApplyFlags& flags, std::string& errorText) {
    if (code == kMsiSuccess) return;
    if (code == kMsiRebootInitiated || code == kMsiRebootRequired) {
        flags.reboot = true;
        return;
    }
    flags.failed = true;
    errorText = TrimmedSystemMessage(code);
}

std::string TrimmedSystemMessage(unsigned code) {
    std::string text = SystemMessageText(code);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n' || text.back() == '.'))
        text.pop_back();
    return text;
}

std::string FallbackErrorText(const std::string& lastInstallerError) {
    std::string text = lastInstallerError.empty() ? EngineText(EngineMessage::GeneralSetupFailure) : lastInstallerError;
    if (!text.empty() && text.find('.') == text.size() - 1) text.pop_back();
    return text;
}
