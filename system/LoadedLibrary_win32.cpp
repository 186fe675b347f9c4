#include <windows.h>

#include "system/FailureReason_win32.h"
#include "system/LoadedLibrary.h"

namespace {

// "C:\..." or "\\server\...": anything else would go through the search path.
bool IsFullPath(const std::string& path) {
    return (path.size() > 2 && path[1] == ':' && path[2] == '\\') || path.rfind("\\\\", 0) == 0;
}

template <typename Function>
Function Kernel32Function(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

}  // namespace

LoadedLibrary::LoadedLibrary(const std::string& fullPath)
    // The altered search path resolves the library's own imports from its folder.
    : handle_(IsFullPath(fullPath) ? LoadLibraryExA(fullPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)
                                   : nullptr) {
    if (IsFullPath(fullPath))
        Recorded(handle_ != nullptr);
    else
        ForgetFailure();  // nothing was asked of the system
}

LoadedLibrary LoadedLibrary::FromActivationContext(const std::string& fileName) {
    // The loader consults the activation context before any search; the flag
    // limits the search to the system folder. Windows 7 without KB2533623
    // refuses the flag: there the system folder's file, version 5 but safe.
    HMODULE module = LoadLibraryExA(fileName.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER) return FromSystemFolder(fileName);
    Recorded(module != nullptr);
    return LoadedLibrary(Handle{module});
}

LoadedLibrary::~LoadedLibrary() {
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* LoadedLibrary::Export(const char* name) const {
    if (!handle_) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void RestrictLibrarySearch() {
    // Looked up, not imported: Windows before 8 has them only with later updates
    // (SetDllDirectoryA since XP SP1, SetDefaultDllDirectories with KB2533623).
    using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
    using SetDirectory = BOOL(WINAPI*)(LPCSTR);
    if (auto setDefault = Kernel32Function<SetDefaultDirectories>("SetDefaultDllDirectories"))
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Where the call above is missing, this at least drops the current folder.
    if (auto setDirectory = Kernel32Function<SetDirectory>("SetDllDirectoryA")) setDirectory("");
}
