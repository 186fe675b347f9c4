#include <windows.h>

#include <vector>

#include "system/Process.h"
#include "system/TextUtils.h"

void RestrictToFirstProcessor() { SetProcessAffinityMask(GetCurrentProcess(), 1); }

std::string ExecutablePath() {
    std::vector<char> buffer(MAX_PATH);
    while (true) {
        DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

std::string RawCommandLine() { return GetCommandLineA(); }

std::string TemporaryFolder() {
    char buffer[MAX_PATH + 1];
    DWORD n = GetTempPathA(MAX_PATH, buffer);
    if (n == 0 || n > MAX_PATH) return {};
    return WithBackslash(std::string(buffer, n));
}

namespace {
std::string FolderFrom(UINT(WINAPI* query)(LPSTR, UINT)) {
    char buffer[MAX_PATH + 1];
    UINT n = query(buffer, MAX_PATH);
    if (n == 0 || n > MAX_PATH) return {};
    return WithBackslash(std::string(buffer, n));
}
}  // namespace

std::string SystemFolder() { return FolderFrom(GetSystemDirectoryA); }
std::string WindowsFolder() { return FolderFrom(GetWindowsDirectoryA); }
