#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "keb/TargetClaims.h"

namespace keb {

// The extraction's own folder in the destination for files being written:
// named as no claimed target and new, so no entry's file can ever meet a
// temporary one, whichever thread writes it. Removed at the end when empty.
class ScratchFolder {
public:
    // Throws ArchiveError (write) when no such folder can be made.
    ScratchFolder(const std::string& destination, const TargetClaims& claims);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // A name in the folder not handed out before; safe from any thread.
    std::string NextFileName();

private:
    std::string path_;
    std::atomic<uint64_t> next_{0};
};

}  // namespace keb
