#include "core/StartupValues.h"
#include "dialogs/HostDialogs.h"
#include "dialogs/uDlgAPI.h"

HostDialogs& HostDialogState() {
    static HostDialogs state;
    return state;
}

namespace {
void Record(const std::string& line) { HostDialogState().calls.push_back(line); }
}  // namespace

void InitDialogs(const std::string&) { HostDialogState().calls.clear(); }

WindowHandle LoadDialog(const std::string& key, const std::string& formFile) {
    Record("load " + key + " " + formFile);
    return 0;
}

void PrepareDialog(const std::string& key) {
    if (!Startup().silent) Record("prepare " + key);
}

void ReleaseDialog(const std::string& key) {
    if (!Startup().silent) Record("release " + key);
}

DialogOutcome ShowDialog(const std::string& key, bool modal) {
    HostDialogs& state = HostDialogState();
    if (Startup().silent) return {};
    Record("show " + key + (modal ? " modal" : " modeless"));
    if (!modal) return {0, "", state.modelessWindow};
    if (state.answers.empty()) return {};
    DialogOutcome answer = state.answers.front();
    state.answers.pop_front();
    return answer;
}

void HideCurrentDialog(const std::string& name) { Record("hide " + name); }

bool RefreshProgressDisplay() { return false; }

void FreeDialogs() {}

void FreezeRepaint(WindowHandle window, bool frozen) {
    if (window) Record(std::string(frozen ? "freeze " : "unfreeze ") + std::to_string(window));
}
