#include "keb/EntrySelection.h"

#include <algorithm>
#include <utility>

#include "keb/ArchiveError.h"

namespace keb {
namespace {

// A name in the form the comparison uses, with the position it came from.
using FoldedName = std::pair<std::string, size_t>;

template <typename NameAt>
std::vector<FoldedName> SortedFolded(size_t count, NameAt nameAt) {
    std::vector<FoldedName> folded;
    folded.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        std::string name = nameAt(i);
        for (char& c : name) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            else if (c == '/') c = '\\';
        }
        folded.emplace_back(std::move(name), i);
    }
    std::sort(folded.begin(), folded.end());
    return folded;
}

}  // namespace

std::vector<bool> SelectNamedEntries(const std::vector<Entry>& entries, const std::vector<std::string>& names) {
    const auto archive = SortedFolded(entries.size(), [&](size_t i) -> const std::string& { return entries[i].name; });
    const auto wanted = SortedFolded(names.size(), [&](size_t i) -> const std::string& { return names[i]; });

    std::vector<bool> selected(entries.size(), false);
    size_t firstMissing = names.size();  // reported in the caller's order
    auto entry = archive.begin();
    for (auto name = wanted.begin(); name != wanted.end(); ++name) {
        if (name != wanted.begin() && name->first == std::prev(name)->first) continue;
        while (entry != archive.end() && entry->first < name->first) ++entry;
        if (entry == archive.end() || entry->first != name->first) firstMissing = std::min(firstMissing, name->second);
        for (; entry != archive.end() && entry->first == name->first; ++entry) selected[entry->second] = true;
    }
    if (firstMissing < names.size())
        ThrowArchiveError(kKebErrorBadTargetName, "not in the archive: " + names[firstMissing]);
    return selected;
}

}  // namespace keb
