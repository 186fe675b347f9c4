#pragma once
#include <string>

// The launcher's own folder in the temporary folder: a name drawn from the
// system's random number generator, created by this process (creation fails
// on any existing name, so nothing planted there is ever used) and checked not
// to be a link. Removed with everything in it when the owner ends; what
// cannot be removed then is left to the system to delete at the next restart.
class PrivateFolder {
public:
    // Throws LauncherError when no such folder can be made.
    explicit PrivateFolder(const std::string& tempFolder);
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    // With a closing backslash.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};
