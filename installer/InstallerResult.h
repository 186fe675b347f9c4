#pragma once
#include <string>

// How an installer run ends up as the result of ApplyChanges.

enum ApplyResult : int { kApplyCancelled = 0, kApplyFailed = -1, kApplySucceeded = 1, kApplyNeedsReboot = 2 };

struct ApplyFlags {
    bool cancelled = false;
    bool failed = false;
    bool reboot = false;
};

// Cancel wins over failure, failure over reboot.
ApplyResult ResultOf(const ApplyFlags& flags);

// Success and reboot codes of MsiInstallProductA/MsiApplyPatchA go to the
// flags; any other code marks a failure and yields its system message text.
void TakeInstallerCode(unsigned code, ApplyFlags& flags, std::string& errorText);

// The system's message text without its trailing blanks, line breaks and periods.
std::string TrimmedSystemMessage(unsigned code);

// Failure text when the system gave none: the installer's last error
// message, else "General setup failure"; a single period at its very end is
// dropped.
std::string FallbackErrorText(const std::string& lastInstallerError);
