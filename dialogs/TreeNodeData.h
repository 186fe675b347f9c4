#pragma once
// The designed items of a tree view ("Items.Data"): the number of top-level
// items (32 bits), then each item depth first as a record size (32 bits) and
// the record: image, selected image, state image and overlay indexes, a data
// slot and the number of child items (six 32-bit values), then the text as a
// short string.
#include <string>
#include <vector>

struct TreeNode {
    std::string text;
    std::vector<TreeNode> children;
    bool operator==(const TreeNode&) const = default;
};

// The items; throws FormError on malformed data (wrong sizes, counts beyond
// the data, nesting deeper than forms allow).
std::vector<TreeNode> ReadTreeNodeData(const std::string& data);
// The same layout, for tests and authoring tools.
std::string WriteTreeNodeData(const std::vector<TreeNode>& nodes);
