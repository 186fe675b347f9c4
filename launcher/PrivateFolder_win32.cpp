#include "launcher/PrivateFolder.h"

#include <windows.h>

#include "launcher/LauncherError.h"
#include "system/Files.h"

extern "C" BOOLEAN NTAPI SystemFunction036(PVOID buffer, ULONG length);  // RtlGenRandom, advapi32

namespace {

const int kAttempts = 8;      // a taken name is a collision of 128 random bits, or a plant
const int kRemovalPasses = 5;  // files the engine's last children held may take a moment to close

std::string RandomName() {
    unsigned char bytes[16];
    if (!SystemFunction036(bytes, sizeof bytes)) throw LauncherError("the system gave no random numbers");
    static const char kHex[] = "0123456789abcdef";
    std::string name = "orv-";
    for (unsigned char b : bytes) {
        name += kHex[b >> 4];
        name += kHex[b & 15];
    }
    return name;
}

}  // namespace

PrivateFolder::PrivateFolder(const std::string& tempFolder) {
    std::string base = tempFolder;
    if (!base.empty() && base.back() != '\\') base += '\\';
    for (int i = 0; i < kAttempts; ++i) {
        const std::string candidate = base + RandomName();
        if (!CreateDirectoryA(candidate.c_str(), nullptr)) continue;
        if (IsLink(candidate)) throw LauncherError(candidate + " turned out to be a link");
        path_ = candidate + "\\";
        return;
    }
    throw LauncherError("no private folder could be created in " + tempFolder);
}

PrivateFolder::~PrivateFolder() {
    const std::string folder = path_.substr(0, path_.size() - 1);
    for (int pass = 0; pass < kRemovalPasses; ++pass) {
        DeleteFolderContents(folder);
        if (RemoveFolder(folder)) return;
        Sleep(200);
    }
    ScheduleFolderDeleteAtRestart(folder);
}
