// "MessageBox", "Terminate Install", "Terminate with Exit Code",
// "Reboot Computer" and "Reboot and Resume".
#include "core/StartupValues.h"
#include "script/CommandTable.h"
#include "script/ResumeEntry.h"
#include "core/VariableStore.h"
#include "script/commands/CommandFamilies.h"
#include "system/MessageBox.h"
#include "system/Reboot.h"
#include "system/Registry.h"
#include "system/TextUtils.h"

namespace {

// Icon codes 0..3 and button codes 0..5 of the authoring tool; anything
// else shows no icon and OK only.
unsigned MessageBoxStyle(int icon, int buttons) {
    static const unsigned kIcons[] = {kMbIconInformation, kMbIconQuestion, kMbIconWarning, kMbIconError};
    static const unsigned kButtons[] = {kMbAbortRetryIgnore, kMbOk, kMbOkCancel, kMbRetryCancel, kMbYesNo, kMbYesNoCancel};
    const unsigned iconStyle = icon >= 0 && icon <= 3 ? kIcons[icon] : 0;
    const unsigned buttonStyle = buttons >= 0 && buttons <= 5 ? kButtons[buttons] : kMbOk;
    return iconStyle | buttonStyle;
}

std::string ButtonText(int answer) {
    switch (answer) {
    case kIdOk: return "OK";
    case kIdAbort: return "ABORT";
    case kIdRetry: return "RETRY";
    case kIdIgnore: return "IGNORE";
    case kIdYes: return "YES";
    case kIdNo: return "NO";
    default: return "CANCEL";  // also Esc and the close box
    }
}

void MessageBoxCommand(CommandContext& c) {
    const std::string caption = c.Translatable(1, 1);
    const std::string text = c.Translatable(2, 2);
    const unsigned style = MessageBoxStyle(c.Integer(3), c.Integer(4));
    if (Startup().silent) return;
    const int answer = ShowMessageBox(c.control().modelessWindow, text, caption, style);
    if (!c.Raw(5).empty()) c.SetResult(c.Raw(5), ButtonText(answer));
}

void TerminateInstall(CommandContext& c) { c.StopScript(); }

void TerminateWithExitCode(CommandContext& c) {
    Startup().exitCode = ParseInt32(c.Expanded(1)).value_or(0);
    Startup().exitCodeSetByScript = true;
    c.StopScript();
}

void RebootComputer(CommandContext& c) {
    c.StopScript();
    RestartComputer();
}

void RebootAndResume(CommandContext& c) {
    const RegistryRoot root = TextToBool(ResolveReferenceOrEmpty("ALLUSERS")) ? RegistryRoot::LocalMachine
                                                                                : RegistryRoot::CurrentUser;
    const StartupValues& start = Startup();
    WriteRegistryString(root, kRunKey, ResumeEntryName(ResolveReferenceOrEmpty("PRODUCTCODE")),
                        ResumeEntryCommand(start.launcherPath, start.exePath));
    c.StopScript();
    RestartComputer();
}

}  // namespace

void RegisterMessageCommands(CommandTable& table) {
    table.Register("MessageBox", MessageBoxCommand);
    table.DeclareTranslatable("MessageBox", {1, 2});
    table.Register("Terminate Install", TerminateInstall);
    table.Register("Terminate with Exit Code", TerminateWithExitCode);
    table.Register("Reboot Computer", RebootComputer);
    table.Register("Reboot and Resume", RebootAndResume);
}
