#include "script/FileSearch.h"

#include "system/DirectoryListing.h"

namespace {

void Search(const std::string& path, bool recurse, bool folders, FileSearchState& state,
            std::vector<std::string>& found) {
    {
        std::lock_guard guard(state.lock);
        state.progress = (state.progress + 1) % 101;
    }
    const size_t cut = path.find_last_of('\\');
    const std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    const std::string mask = path.substr(folder.size());
    for (const DirectoryEntry& entry : ListDirectory(folder + "*.*")) {
        if (!entry.folder) continue;
        if (recurse) {
            Search(folder + entry.name + "\\" + mask, recurse, folders, state, found);
            if (state.stopRequested) return;
        }
        if (folders) found.push_back(folder + entry.name);
    }
    for (const DirectoryEntry& entry : ListDirectory(path)) {
        if (entry.folder) continue;
        {
            std::lock_guard guard(state.lock);
            state.lastFound = folder + entry.name;
        }
        found.push_back(folder + entry.name);
        if (state.stopRequested) return;
    }
}

bool NeedsQuotes(const std::string& entry) {
    if (entry.empty()) return true;
    for (unsigned char c : entry)
        if (c <= ' ' || c == '"' || c == '|') return true;
    return false;
}

}  // namespace

std::vector<std::string> SearchFiles(const std::string& path, bool recurse, bool folders, FileSearchState& state) {
    std::vector<std::string> found;
    Search(path, recurse, folders, state, found);
    return found;
}

std::string JoinFileList(const std::vector<std::string>& entries) {
    std::string joined;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) joined += '|';
        if (!NeedsQuotes(entries[i])) {
            joined += entries[i];
            continue;
        }
        joined += '"';
        for (char c : entries[i]) {
            if (c == '"') joined += '"';
            joined += c;
        }
        joined += '"';
    }
    return joined;
}
