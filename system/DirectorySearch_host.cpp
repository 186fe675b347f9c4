#include <filesystem>

#include "system/DirectorySearch.h"

std::optional<std::string> FoundFileName(const std::string& path) {
    std::string hostPath = path;
    for (char& c : hostPath)
        if (c == '\\') c = '/';
    std::error_code ec;
    const std::filesystem::path p(hostPath);
    if (!std::filesystem::exists(p, ec)) return std::nullopt;
    return p.filename().string();
}
