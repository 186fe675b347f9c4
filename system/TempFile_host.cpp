#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "system/TempFile.h"

std::optional<std::string> CreateTempFileIn(const std::string& folder, const std::string& prefix) {
    std::string hostFolder = folder;
    for (char& c : hostFolder)
        if (c == '\\') c = '/';
    if (!hostFolder.empty() && hostFolder.back() != '/') hostFolder += '/';
    std::random_device seed;
    const unsigned start = seed() & 0xFFFF;
    for (unsigned i = 0; i < 0x10000; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%04X.tmp", (start + i) & 0xFFFF);
        const std::string path = hostFolder + prefix + name;
        const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0600);
        if (fd >= 0) {
            close(fd);
            return folder + prefix + name;
        }
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}
