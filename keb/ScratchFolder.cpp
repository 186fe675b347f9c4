#include "keb/ScratchFolder.h"

#include "keb/ArchiveError.h"
#include "keb/OutputFiles.h"

namespace keb {

ScratchFolder::ScratchFolder(const std::string& destination, const TargetClaims& claims) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "~keb" + std::to_string(attempt) + ".tmp";
        if (claims.ClaimsTopLevel(name)) continue;
        path_ = destination + kPathSeparator + name;
        if (CreateNewFolder(path_)) return;
    }
    ThrowArchiveError(kKebErrorWrite, "cannot create a folder for temporary files in " + destination);
}

ScratchFolder::~ScratchFolder() { RemoveEmptyFolder(path_); }

std::string ScratchFolder::NextFileName() { return path_ + kPathSeparator + std::to_string(next_++) + ".part"; }

}  // namespace keb
