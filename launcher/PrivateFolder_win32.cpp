#include "launcher/PrivateFolder.h"

#include <windows.h>

#include "system/Files.h"

extern "C" BOOLEAN NTAPI SystemFunction036(PVOID buffer, ULONG length);  // RtlGenRandom, advapi32

namespace {

const int kAttempts = 8;      // a taken name is a collision of 128 random bits, or a plant
const int kRemovalPasses = 5;  // files the engine's last children held may take a moment to close

std::optional<std::string> RandomName() {
    unsigned char bytes[16];
    if (!SystemFunction036(bytes, sizeof bytes)) return std::nullopt;
    static const char kHex[] = "0123456789abcdef";
    std::string name = "orv-";
    for (unsigned char b : bytes) {
        name += kHex[b >> 4];
        name += kHex[b & 15];
    }
    return name;
}

}  // namespace

std::optional<std::string> CreatePrivateFolder(const std::string& tempFolder) {
    std::string base = tempFolder;
    if (!base.empty() && base.back() != '\\') base += '\\';
    for (int i = 0; i < kAttempts; ++i) {
        const auto name = RandomName();
        if (!name) return std::nullopt;
        const std::string candidate = base + *name;
        if (!CreateDirectoryA(candidate.c_str(), nullptr)) continue;
        if (IsLink(candidate)) return std::nullopt;  // made by us a moment ago: not ours to remove
        return candidate + "\\";
    }
    return std::nullopt;
}

void PrivateFolder::Remove() {
    if (removed_) return;
    removed_ = true;
    const std::string folder = path_.substr(0, path_.size() - 1);
    for (int pass = 0; pass < kRemovalPasses; ++pass) {
        DeleteFolderContents(folder);
        if (RemoveFolder(folder)) return;
        Sleep(200);
    }
    ScheduleFolderDeleteAtRestart(folder);
}
