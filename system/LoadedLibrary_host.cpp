#include "system/Files.h"
#include "system/LoadedLibrary.h"

// Windows libraries cannot be loaded on the host: a library counts as loaded
// when its file exists, and it exports nothing.
LoadedLibrary::LoadedLibrary(const std::string& fullPath)
    : handle_(FileExists(fullPath) ? this : nullptr) {}

LoadedLibrary LoadedLibrary::FromActivationContext(const std::string& fileName) {
    return FromSystemFolder(fileName);
}

LoadedLibrary::~LoadedLibrary() = default;

void* LoadedLibrary::Export(const char*) const { return nullptr; }
