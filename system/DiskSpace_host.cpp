#include <sys/statvfs.h>

#include "system/DiskSpace.h"

std::optional<DiskSpace> QueryDiskSpace(const std::string& path) {
    struct statvfs s {};
    if (statvfs(path.c_str(), &s) != 0) return std::nullopt;
    return DiskSpace{static_cast<int64_t>(s.f_bavail) * static_cast<int64_t>(s.f_frsize),
                     static_cast<int64_t>(s.f_blocks) * static_cast<int64_t>(s.f_frsize)};
}
