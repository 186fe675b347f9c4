#pragma once
#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <thread>
#include <vector>

#include "keb/ArchiveDatabase.h"
#include "keb/ArchiveFile.h"
#include "keb/InStream.h"

namespace keb {

// A run of LZMA2 chunks that starts with a dictionary reset and new
// properties, so it decodes without anything before it.
struct Lzma2Block {
    uint64_t packOffset = 0;  // within the packed stream
    uint64_t packSize = 0;
    uint64_t unpackSize = 0;
};

// Splits a packed LZMA2 stream into independent blocks by reading only its
// chunk headers. Empty when the stream has fewer than two such blocks, when
// the headers do not add up to unpackSize, or when they are malformed (the
// plain decoder then reports what is wrong, in order).
std::vector<Lzma2Block> FindLzma2Blocks(const ArchiveFile& file, const PackStream& packed, uint64_t unpackSize);

// The LZMA2 coder on two threads: while this stream decodes a block for its
// reader, a helper thread decodes a later one into memory, at most one block
// ahead and never one larger than kMaxBufferedBlock. The helper only
// decodes; failures reach the reader when it gets to that block, so errors
// come in the order the plain decoder would report them.
class Lzma2BlockStream : public InStream {
public:
    static constexpr uint64_t kMaxBufferedBlock = uint64_t(sizeof(void*) == 4 ? 64 : 256) << 20;

    Lzma2BlockStream(const ArchiveFile& file, const PackStream& packed, std::vector<uint8_t> properties,
                     std::vector<Lzma2Block> blocks);
    ~Lzma2BlockStream() override;
    Lzma2BlockStream(const Lzma2BlockStream&) = delete;
    Lzma2BlockStream& operator=(const Lzma2BlockStream&) = delete;

    size_t Read(uint8_t* buffer, size_t size) override;

private:
    // One block decoded on the calling thread, straight from the file.
    struct DirectBlock;
    // A block the helper decoded. Left uninitialised until decoded into: a
    // hostile header's large block costs no memory unless its data is there.
    struct BlockBuffer {
        std::unique_ptr<uint8_t[]> bytes;
        size_t size = 0;
    };

    void OpenBlock(size_t index);
    void StartHelper(size_t index);
    void StopHelper();
    void DecodeInto(size_t index, BlockBuffer& out);

    const ArchiveFile& file_;
    PackStream packed_;
    std::vector<uint8_t> properties_;
    std::vector<Lzma2Block> blocks_;

    size_t current_ = 0;  // block the reader is in
    bool open_ = false;
    std::unique_ptr<DirectBlock> direct_;
    BlockBuffer buffered_;  // the current block when the helper decoded it
    size_t bufferedPos_ = 0;

    std::thread helper_;
    size_t helperBlock_ = 0;  // valid while helper_ is joinable
    BlockBuffer helperOutput_;
    std::exception_ptr helperFailure_;
    bool helperOutOfMemory_ = false;
    std::atomic<bool> stopping_{false};
};

}  // namespace keb
