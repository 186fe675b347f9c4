#include <windows.h>

#include "system/DiskSpace.h"

std::optional<DiskSpace> QueryDiskSpace(const std::string& path) {
    ULARGE_INTEGER freeToCaller, total, totalFree;
    if (!GetDiskFreeSpaceExA(path.c_str(), &freeToCaller, &total, &totalFree)) return std::nullopt;
    return DiskSpace{static_cast<int64_t>(freeToCaller.QuadPart), static_cast<int64_t>(total.QuadPart)};
}
