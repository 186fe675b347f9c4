#include <windows.h>

#include "system/TempFile.h"

std::optional<std::string> CreateTempFileIn(const std::string& folder, const std::string& prefix) {
    char path[MAX_PATH];
    if (GetTempFileNameA(folder.c_str(), prefix.c_str(), 0, path) == 0) return std::nullopt;
    return std::string(path);
}
