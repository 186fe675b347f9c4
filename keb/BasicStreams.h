#pragma once
#include <cstdint>
#include <vector>

#include "keb/ArchiveFile.h"
#include "keb/InStream.h"

namespace keb {

// A packed stream: a byte range of the archive file, read in large blocks.
class PackedStream : public InStream {
public:
    PackedStream(const ArchiveFile& file, uint64_t offset, uint64_t size);
    size_t Read(uint8_t* buffer, size_t size) override;

private:
    const ArchiveFile& file_;
    uint64_t offset_;
    uint64_t remaining_;
};

// Yields at most `size` bytes of the inner stream; a coder that stops early
// reports a corrupted archive.
class ExactSizeStream : public InStream {
public:
    ExactSizeStream(InStream& inner, uint64_t size) : inner_(inner), remaining_(size) {}
    size_t Read(uint8_t* buffer, size_t size) override;

private:
    InStream& inner_;
    uint64_t remaining_;
};

}  // namespace keb
