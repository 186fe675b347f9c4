#include "media/ArchiveLibrary.h"

#include <windows.h>

#include <stdexcept>
#include <string>

#include "core/StartupValues.h"
#include "system/LoadedLibrary.h"
#include "system/PathParts.h"
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

// keb.dll, loaded for the rest of the process; a failure throws, so the next
// call tries again.
class KebLibrary {
public:
    explicit KebLibrary(const std::string& path) : module_(path) {
        if (!module_.loaded()) throw std::runtime_error("cannot load " + path);
    }

    template <typename F>
    F Function(const char* name) const {
        const auto function = module_.Find<F>(name);
        if (!function) throw std::runtime_error(std::string("keb.dll lacks ") + name);
        return function;
    }

private:
    LoadedLibrary module_;
};

}  // namespace

const ArchiveLibrary& LoadArchiveLibrary() {
    // Always by full path: a keb.dll in the current folder must never be used.
    static const KebLibrary module(
        (Startup().exeFolder.empty() ? OwnModuleFolder() : Startup().exeFolder) + "keb.dll");
    static const ArchiveLibrary library{
        module.Function<decltype(&OpenListArchive)>("OpenListArchive"),
        module.Function<decltype(&ExtractArchive)>("ExtractArchive"),
        module.Function<decltype(&CloseListArchive)>("CloseListArchive"),
        module.Function<decltype(&GetLastArchiveError)>("GetLastArchiveError"),
    };
    return library;
}
