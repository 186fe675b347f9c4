#include <windows.h>

#include "system/LoadedLibrary.h"

namespace {

// "C:\..." or "\\server\...": anything else would go through the search path.
bool IsFullPath(const std::string& path) {
    return (path.size() > 2 && path[1] == ':' && path[2] == '\\') || path.rfind("\\\\", 0) == 0;
}

}  // namespace

LoadedLibrary::LoadedLibrary(const std::string& fullPath)
    // The altered search path resolves the library's own imports from its folder.
    : handle_(IsFullPath(fullPath) ? LoadLibraryExA(fullPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)
                                   : nullptr) {}

LoadedLibrary::~LoadedLibrary() {
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* LoadedLibrary::Export(const char* name) const {
    if (!handle_) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}
