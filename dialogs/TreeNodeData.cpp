// The designed items of a tree view.
#include "dialogs/TreeNodeData.h"

#include "dialogs/FormFile.h"

namespace {

constexpr size_t kRecordFixed = 6 * 4 + 1;  // six 32-bit values and the text length

class Reader {
public:
    explicit Reader(const std::string& data) : data_(data) {}

    uint32_t U32() {
        if (data_.size() - at_ < 4) throw FormError("tree items: the data ends early");
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(static_cast<unsigned char>(data_[at_ + i])) << (8 * i);
        at_ += 4;
        return value;
    }

    std::vector<TreeNode> Nodes(uint32_t count, int depth) {
        if (depth > kFormMaxNesting) throw FormError("tree items: the items nest too deeply");
        // Every item takes at least a size and a record.
        if (count > (data_.size() - at_) / (4 + kRecordFixed)) throw FormError("tree items: more items than data");
        std::vector<TreeNode> nodes;
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t size = U32();
            if (size < kRecordFixed || size > kRecordFixed + 255 || data_.size() - at_ < size)
                throw FormError("tree items: an item record of " + std::to_string(size) + " bytes");
            const size_t record = at_;
            at_ += 20;
            const uint32_t children = U32();
            const size_t length = static_cast<unsigned char>(data_[at_++]);
            if (length != size - kRecordFixed) throw FormError("tree items: an item text that does not fill its record");
            TreeNode node;
            node.text = data_.substr(at_, length);
            at_ = record + size;
            node.children = Nodes(children, depth + 1);
            nodes.push_back(std::move(node));
        }
        return nodes;
    }

    bool AtEnd() const { return at_ == data_.size(); }

private:
    const std::string& data_;
    size_t at_ = 0;
};

void PutU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void WriteNodes(std::string& out, const std::vector<TreeNode>& nodes) {
    for (const TreeNode& node : nodes) {
        const std::string text = node.text.substr(0, 255);
        PutU32(out, static_cast<uint32_t>(kRecordFixed + text.size()));
        for (int i = 0; i < 4; ++i) PutU32(out, 0xFFFFFFFF);  // no images
        PutU32(out, 0);
        PutU32(out, static_cast<uint32_t>(node.children.size()));
        out += static_cast<char>(text.size());
        out += text;
        WriteNodes(out, node.children);
    }
}

}  // namespace

std::vector<TreeNode> ReadTreeNodeData(const std::string& data) {
    Reader reader(data);
    std::vector<TreeNode> nodes = reader.Nodes(reader.U32(), 0);
    if (!reader.AtEnd()) throw FormError("tree items: data after the last item");
    return nodes;
}

std::string WriteTreeNodeData(const std::vector<TreeNode>& nodes) {
    std::string out;
    PutU32(out, static_cast<uint32_t>(nodes.size()));
    WriteNodes(out, nodes);
    return out;
}
