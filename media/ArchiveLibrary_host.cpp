#include "media/ArchiveLibrary.h"

#include "system/NativePath.h"

namespace {

// The engine's paths (backslashes) reach the linked library as host paths,
// as every other host service takes them.
uintptr_t OpenListHostPath(const char* archivePath, uint32_t flags, KebPasswordCallback passwordCallback,
                           uint32_t reserved1, uint32_t reserved2, uint32_t reserved3, const char* password,
                           const KebEntryRecord** entries, uint32_t* entryCount) {
    return OpenListArchive(NativePath(archivePath).c_str(), flags, passwordCallback, reserved1, reserved2, reserved3,
                           password, entries, entryCount);
}

int32_t ExtractHostPath(const char* archivePath, uint32_t mode, const char* destination, const char* const* targets,
                        uint32_t targetCount, uint32_t withoutPaths, const char* password,
                        KebPasswordCallback passwordCallback, KebProgressCallback progressCallback,
                        KebEntryCallback entryCallback, KebOverwriteCallback overwriteCallback) {
    return ExtractArchive(NativePath(archivePath).c_str(), mode, NativePath(destination).c_str(), targets, targetCount,
                          withoutPaths, password, passwordCallback, progressCallback, entryCallback,
                          overwriteCallback);
}

}  // namespace

const ArchiveLibrary& LoadArchiveLibrary() {
    static const ArchiveLibrary library{&OpenListHostPath, &ExtractHostPath, &CloseListArchive,
                                        &GetLastArchiveError};
    return library;
}
