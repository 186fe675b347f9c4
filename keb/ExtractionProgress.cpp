#include "keb/ExtractionProgress.h"

#include "keb/ArchiveError.h"
#include "keb/Halves.h"

namespace keb {

void ExtractionProgress::Report() const {
    if (callback_ && callback_(entry_, LowHalf(done_), HighHalf(done_), LowHalf(total_), HighHalf(total_)) == 0)
        ThrowArchiveError(kKebErrorCancelled, "extraction cancelled");
}

}  // namespace keb
