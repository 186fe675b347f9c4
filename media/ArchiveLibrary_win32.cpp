#include "media/ArchiveLibrary.h"

#include <windows.h>

#include <stdexcept>
#include <string>

#include "bootstrap/StartupValues.h"
#include "system/TextUtils.h"

namespace {

// The folder of the module this code runs in, with a trailing backslash.
std::string OwnModuleFolder() {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&OwnModuleFolder), &self);
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    return FolderOf(std::string_view(path, n < MAX_PATH ? n : 0));
}

// Owns the loaded keb.dll for the rest of the process.
class LoadedModule {
public:
    explicit LoadedModule(const std::string& path)
        : module_(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {
        if (!module_) throw std::runtime_error("cannot load " + path);
    }
    ~LoadedModule() { FreeLibrary(module_); }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    template <typename F>
    F Function(const char* name) const {
        FARPROC p = GetProcAddress(module_, name);
        if (!p) throw std::runtime_error(std::string("keb.dll lacks ") + name);
        return reinterpret_cast<F>(reinterpret_cast<void*>(p));
    }

private:
    HMODULE module_;
};

}  // namespace

const ArchiveLibrary& LoadArchiveLibrary() {
    // Always by full path: a keb.dll in the current folder must never be used.
    static const LoadedModule module(
        (Startup().exeFolder.empty() ? OwnModuleFolder() : Startup().exeFolder) + "keb.dll");
    static const ArchiveLibrary library{
        module.Function<decltype(&OpenListArchive)>("OpenListArchive"),
        module.Function<decltype(&ExtractArchive)>("ExtractArchive"),
        module.Function<decltype(&CloseListArchive)>("CloseListArchive"),
        module.Function<decltype(&GetLastArchiveError)>("GetLastArchiveError"),
    };
    return library;
}
