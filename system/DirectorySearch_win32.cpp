#include <windows.h>

#include <memory>

#include "system/DirectorySearch.h"

std::optional<std::string> FoundFileName(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    const std::unique_ptr<void, decltype(&FindClose)> closer(search, &FindClose);
    return std::string(found.cFileName);
}
