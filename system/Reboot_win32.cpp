#include <windows.h>

#include "system/Reboot.h"

namespace {
class TokenHandle {
public:
    TokenHandle() { OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &handle_); }
    ~TokenHandle() {
        if (handle_) CloseHandle(handle_);
    }
    TokenHandle(const TokenHandle&) = delete;
    TokenHandle& operator=(const TokenHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_ = nullptr;
};

void EnableShutdownPrivilege() {
    TokenHandle token;
    if (!token.get()) return;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return;
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}
}  // namespace

void RestartComputer() {
    EnableShutdownPrivilege();
    ExitWindowsEx(EWX_REBOOT, 0);
}
