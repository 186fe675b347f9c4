#pragma once
#include <optional>
#include <string>

// Creates the launcher's own folder in the temporary folder: a name drawn
// from the system's random number generator, created by this process
// (creation fails on any existing name, so nothing planted there is ever
// used) and checked not to be a link. With a closing backslash; nothing when
// no such folder can be made.
std::optional<std::string> CreatePrivateFolder(const std::string& tempFolder);

// Owns such a folder: removes it with everything in it, at the latest when
// the owner ends; what cannot be removed then is left to the system to
// delete at the next restart.
class PrivateFolder {
public:
    explicit PrivateFolder(std::string path) : path_(std::move(path)) {}
    ~PrivateFolder() { Remove(); }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    const std::string& path() const { return path_; }
    void Remove();

private:
    std::string path_;
    bool removed_ = false;
};
