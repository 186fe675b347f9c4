#include <filesystem>

#include "system/Paths.h"

std::optional<std::string> ShortPathName(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return std::nullopt;
    return path;
}
