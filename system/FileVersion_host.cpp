#include "system/FileVersion.h"
#include "system/HostFileVersions.h"

std::map<std::string, FileVersionNumber>& HostFileVersions() {
    static std::map<std::string, FileVersionNumber> versions;
    return versions;
}

// Host files carry no version resources: tests give them versions by path.
FileVersionNumber ReadFileVersion(const std::string& path) {
    auto it = HostFileVersions().find(path);
    return it == HostFileVersions().end() ? FileVersionNumber{} : it->second;
}
