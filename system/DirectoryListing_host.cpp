#include <algorithm>
#include <cctype>
#include <filesystem>

#include "system/DirectoryListing.h"
#include "system/TextUtils.h"

namespace fs = std::filesystem;

namespace {

// Wildcard match of * and ?, letter case ignored.
bool Matches(std::string_view name, std::string_view mask) {
    if (mask.empty()) return name.empty();
    if (mask[0] == '*') return Matches(name, mask.substr(1)) || (!name.empty() && Matches(name.substr(1), mask));
    if (name.empty()) return false;
    const bool same = mask[0] == '?' || std::tolower(static_cast<unsigned char>(mask[0])) ==
                                            std::tolower(static_cast<unsigned char>(name[0]));
    return same && Matches(name.substr(1), mask.substr(1));
}

}  // namespace

std::vector<DirectoryEntry> ListDirectory(const std::string& pattern) {
    std::string path = pattern;
    for (char& c : path)
        if (c == '\\') c = '/';
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    // "*.*" matches names without a dot too, as on Windows.
    std::string mask = path.substr(slash == std::string::npos ? 0 : slash + 1);
    if (mask == "*.*") mask = "*";
    std::vector<DirectoryEntry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? "/" : folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code ignored;
        if (Matches(name, mask)) entries.push_back({name, it->is_directory(ignored)});
    }
    // In name order, as NTFS lists a folder.
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return entries;
}

std::string FirstCdromDrive() { return {}; }
