#pragma once
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace keb {

// The files and folders an extraction will make below its destination,
// claimed entry by entry in entry order before anything is written. Names
// are compared as the file system compares them (FileSystemNameKey), so
// entries that would land on one file share one claim whatever thread
// writes them, and a folder is spelt as its first claim spells it.
// Lookups go through an ordered map: names chosen to collide cost no more.
class TargetClaims {
public:
    explicit TargetClaims(std::string destination);

    struct FileClaim {
        std::string path;               // the target, below the destination
        std::optional<size_t> earlier;  // the last entry that claimed it before
    };
    // Claims the file at the components (folders, then the file's name) for
    // entry. Throws ArchiveError (write) where a folder is claimed there, or
    // a file where one of its folders would be.
    FileClaim File(const std::vector<std::string>& components, size_t entry);
    // Claims the folder at the components; the same refusals.
    std::string Folder(const std::vector<std::string>& components);

    // Whether a claim starts with this name directly in the destination.
    bool ClaimsTopLevel(const std::string& name) const;

private:
    struct Node {
        std::string name;  // as first claimed
        bool isFile = false;
        size_t entry = 0;  // files: the last entry that claimed it
    };
    // The node of one component below parent, made as a folder when new.
    std::pair<size_t, bool> Child(size_t parent, const std::string& component);
    // Claims the folders above the last component and returns its node.
    size_t Walk(const std::vector<std::string>& components, std::string& path, bool& isNew);

    std::vector<Node> nodes_;                              // 0 is the destination
    std::map<std::pair<size_t, std::string>, size_t> children_;  // (parent, name key) to node
};

}  // namespace keb
