#pragma once
#include <cstdint>
#include <optional>
#include <string>

struct DiskSpace {
    int64_t freeToUser = 0;  // bytes the calling user may still write
    int64_t total = 0;
};

// Space of the volume holding the path; nullopt when it cannot be queried.
std::optional<DiskSpace> QueryDiskSpace(const std::string& path);
