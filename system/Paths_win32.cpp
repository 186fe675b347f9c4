#include <windows.h>

#include "system/Paths.h"

std::optional<std::string> ShortPathName(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::nullopt;
    return std::string(buffer, n);
}
