#include "keb/BasicStreams.h"

#include <algorithm>

#include "keb/ArchiveError.h"

namespace keb {

PackedStream::PackedStream(const ArchiveFile& file, uint64_t offset, uint64_t size)
    : file_(file), offset_(offset), remaining_(size) {
    if (offset > file.size() || size > file.size() - offset) ThrowCorrupt("packed data lies beyond the end of the file");
}

size_t PackedStream::Read(uint8_t* buffer, size_t size) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(size, remaining_));
    if (want == 0) return 0;
    size_t got = file_.ReadAt(offset_, buffer, want);
    if (got != want) ThrowCorrupt("archive file ends too early");
    offset_ += got;
    remaining_ -= got;
    return got;
}

size_t ExactSizeStream::Read(uint8_t* buffer, size_t size) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(size, remaining_));
    if (want == 0) return 0;
    size_t got = inner_.Read(buffer, want);
    if (got == 0) ThrowCorrupt("coder output ends before its size");
    remaining_ -= got;
    return got;
}

}  // namespace keb
