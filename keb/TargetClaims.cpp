#include "keb/TargetClaims.h"

#include "keb/ArchiveError.h"
#include "keb/OutputFiles.h"

namespace keb {
namespace {

[[noreturn]] void ThrowBoth(const std::string& path) {
    ThrowArchiveError(kKebErrorWrite, "entries make both a file and a folder of " + path);
}

}  // namespace

TargetClaims::TargetClaims(std::string destination) { nodes_.push_back(Node{std::move(destination)}); }

std::pair<size_t, bool> TargetClaims::Child(size_t parent, const std::string& component) {
    auto [at, isNew] = children_.try_emplace({parent, FileSystemNameKey(component)}, nodes_.size());
    if (isNew) nodes_.push_back(Node{component});
    return {at->second, isNew};
}

size_t TargetClaims::Walk(const std::vector<std::string>& components, std::string& path, bool& isNew) {
    size_t node = 0;
    path = nodes_[0].name;
    for (size_t i = 0; i < components.size(); ++i) {
        auto [child, made] = Child(node, components[i]);
        path += kPathSeparator + nodes_[child].name;
        if (i + 1 < components.size() && nodes_[child].isFile) ThrowBoth(path);
        node = child;
        isNew = made;
    }
    return node;
}

TargetClaims::FileClaim TargetClaims::File(const std::vector<std::string>& components, size_t entry) {
    FileClaim claim;
    bool isNew = false;
    Node& node = nodes_[Walk(components, claim.path, isNew)];
    if (isNew) {
        node.isFile = true;
    } else {
        if (!node.isFile) ThrowBoth(claim.path);
        claim.earlier = node.entry;
        // The file's own name is the writer's: a later entry replaces the file.
        claim.path.resize(claim.path.size() - node.name.size());
        claim.path += node.name = components.back();
    }
    node.entry = entry;
    return claim;
}

std::string TargetClaims::Folder(const std::vector<std::string>& components) {
    std::string path;
    bool isNew = false;
    if (nodes_[Walk(components, path, isNew)].isFile) ThrowBoth(path);
    return path;
}

bool TargetClaims::ClaimsTopLevel(const std::string& name) const {
    return children_.count({0, FileSystemNameKey(name)}) > 0;
}

}  // namespace keb
