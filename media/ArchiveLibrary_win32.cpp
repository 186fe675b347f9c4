#include "media/ArchiveLibrary.h"

#include <stdexcept>
#include <string>

#include "system/LoadedLibrary.h"
#include "system/Process.h"
#include "system/PathParts.h"
#include "system/TextUtils.h"

namespace {

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
    // Always by full path, from the engine's own folder: a keb.dll in the
    // current folder must never be used.
    static const KebLibrary module(FolderOf(ExecutablePath()) + "keb.dll");
    static const ArchiveLibrary library{
        module.Function<decltype(&OpenListArchive)>("OpenListArchive"),
        module.Function<decltype(&ExtractArchive)>("ExtractArchive"),
        module.Function<decltype(&CloseListArchive)>("CloseListArchive"),
        module.Function<decltype(&GetLastArchiveError)>("GetLastArchiveError"),
    };
    return library;
}
