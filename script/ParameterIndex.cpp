#include "script/ParameterIndex.h"

#include <string_view>
#include <unordered_set>

#include "core/ScriptError.h"

ParameterIndex::ParameterIndex(const std::vector<std::vector<std::string>>& blocks) : blocks_(blocks) {
    for (size_t list = 0; list < blocks.size(); ++list) {
        std::unordered_set<std::string_view> seen;
        for (size_t line = 0; line < blocks[list].size(); ++line)
            if (seen.insert(blocks[list][line]).second) lines_[blocks[list][line]] = {list, line};
    }
}

std::string ParameterIndex::Get(const std::string& id, size_t n) const {
    auto it = lines_.find(id);
    if (it == lines_.end()) return {};
    const auto& [list, line] = it->second;
    if (line + n >= blocks_[list].size()) throw ScriptError("List index out of bounds (" + std::to_string(line + n) + ")");
    return blocks_[list][line + n];
}
