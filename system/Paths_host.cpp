#include <filesystem>

#include "system/Paths.h"

std::optional<std::string> ShortPathName(const std::string& path) {
    // Engine paths use backslashes; on the host they are POSIX separators.
    std::string hostPath = path;
    for (char& c : hostPath)
        if (c == '\\') c = '/';
    std::error_code ec;
    if (!std::filesystem::exists(hostPath, ec)) return std::nullopt;
    return path;
}
