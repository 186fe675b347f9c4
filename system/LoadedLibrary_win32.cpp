#include <windows.h>

#include "system/LoadedLibrary.h"

LoadedLibrary::LoadedLibrary(const std::string& fullPath)
    // The altered search path resolves the library's own imports from its folder.
    : handle_(LoadLibraryExA(fullPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {}

LoadedLibrary::~LoadedLibrary() {
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* LoadedLibrary::Export(const char* name) const {
    if (!handle_) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}
