#pragma once
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// GetParameter without the scan: where each id line sits, found once for
// the whole run. The blocks must outlive the index and stay unchanged.
class ParameterIndex {
public:
    explicit ParameterIndex(const std::vector<std::vector<std::string>>& blocks);
    // The same result (and error) as GetParameter(blocks, id, n).
    std::string Get(const std::string& id, size_t n) const;

private:
    const std::vector<std::vector<std::string>>& blocks_;
    // Line text -> (list, line) of its first occurrence in the last list holding it.
    std::unordered_map<std::string, std::pair<size_t, size_t>> lines_;
};
