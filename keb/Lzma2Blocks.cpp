#include "keb/Lzma2Blocks.h"

#include <algorithm>
#include <new>
#include <system_error>

#include "keb/ArchiveError.h"
#include "keb/BasicStreams.h"
#include "keb/LzmaStream.h"

namespace keb {
namespace {

// Smaller runs are joined to the block before them: a reset inside a block
// is no harm, and the block list stays short whatever the headers say.
constexpr uint64_t kMinBlock = uint64_t(1) << 20;
// The helper checks for a stop between steps of this size.
constexpr size_t kHelperStep = size_t(1) << 18;

// Reads chunk headers through a small window of the packed stream: a run of
// tiny chunks costs no file read each, and the data of ordinary chunks (up
// to 64 KB packed) is skipped, not read.
class HeaderWindow {
public:
    HeaderWindow(const ArchiveFile& file, const PackStream& packed) : file_(file), packed_(packed) {}

    // The up to six header bytes at pos; false when fewer than `need` exist.
    bool Bytes(uint64_t pos, size_t need, const uint8_t*& bytes) {
        if (pos >= packed_.size || packed_.size - pos < need) return false;
        if (pos < start_ || pos + need > start_ + filled_) {
            start_ = pos;
            size_t want = static_cast<size_t>(std::min<uint64_t>(sizeof(window_), packed_.size - pos));
            filled_ = file_.ReadAt(packed_.offset + pos, window_, want);
            if (filled_ < need) return false;
        }
        bytes = window_ + (pos - start_);
        return true;
    }

private:
    const ArchiveFile& file_;
    const PackStream& packed_;
    uint8_t window_[512];
    uint64_t start_ = 0;
    size_t filled_ = 0;
};

struct BlockStart {
    uint64_t packOffset = 0, unpackOffset = 0;
};

}  // namespace

std::vector<Lzma2Block> FindLzma2Blocks(const ArchiveFile& file, const PackStream& packed, uint64_t unpackSize) {
    if (packed.offset > file.size() || packed.size > file.size() - packed.offset) return {};
    HeaderWindow window(file, packed);
    std::vector<BlockStart> starts;
    // A stored chunk's dictionary reset, not yet known to start an independent block.
    BlockStart pending;
    bool hasPending = false;
    auto addStart = [&](BlockStart start) {
        if (starts.empty() || start.unpackOffset - starts.back().unpackOffset >= kMinBlock) starts.push_back(start);
    };
    uint64_t pos = 0, unpacked = 0;
    while (unpacked < unpackSize) {
        const uint8_t* h = nullptr;
        if (!window.Bytes(pos, 1, h)) return {};
        unsigned control = h[0];
        uint64_t headerSize, packSize, chunkUnpack;
        if (control == 0x01 || control == 0x02) {
            if (!window.Bytes(pos, 3, h)) return {};
            headerSize = 3;
            packSize = chunkUnpack = ((uint32_t(h[1]) << 8) | h[2]) + 1u;
            if (control == 0x01 && !hasPending) {
                pending = {pos, unpacked};
                hasPending = true;
            }
        } else if (control >= 0x80) {
            unsigned mode = (control >> 5) & 3;
            headerSize = mode >= 2 ? 6 : 5;
            if (!window.Bytes(pos, static_cast<size_t>(headerSize), h)) return {};
            chunkUnpack = ((uint32_t(control & 0x1F) << 16) | (uint32_t(h[1]) << 8) | h[2]) + 1u;
            packSize = ((uint32_t(h[3]) << 8) | h[4]) + 1u;
            if (mode == 3) {
                addStart({pos, unpacked});
            } else if (hasPending && mode == 2) {
                addStart(pending);  // the first coded chunk brings its own properties
            }
            hasPending = false;
        } else {
            return {};  // the end marker before the size, or a bad control byte
        }
        if (starts.empty() && !hasPending) return {};  // no dictionary reset first
        pos += headerSize + packSize;
        unpacked += chunkUnpack;
        if (pos > packed.size) return {};
    }
    if (hasPending) addStart(pending);
    if (unpacked != unpackSize || starts.size() < 2 || starts.front().packOffset != 0) return {};

    std::vector<Lzma2Block> blocks;
    for (size_t i = 0; i < starts.size(); ++i) {
        bool last = i + 1 == starts.size();
        uint64_t packEnd = last ? packed.size : starts[i + 1].packOffset;
        uint64_t unpackEnd = last ? unpackSize : starts[i + 1].unpackOffset;
        blocks.push_back({starts[i].packOffset, packEnd - starts[i].packOffset, unpackEnd - starts[i].unpackOffset});
    }
    return blocks;
}

struct Lzma2BlockStream::DirectBlock {
    DirectBlock(const ArchiveFile& file, const PackStream& packed, const std::vector<uint8_t>& properties,
                const Lzma2Block& block)
        : packedIn(file, packed.offset + block.packOffset, block.packSize),
          coder(packedIn, properties, block.unpackSize),
          out(coder, block.unpackSize) {}
    PackedStream packedIn;
    Lzma2Stream coder;
    ExactSizeStream out;
};

Lzma2BlockStream::Lzma2BlockStream(const ArchiveFile& file, const PackStream& packed, std::vector<uint8_t> properties,
                                   std::vector<Lzma2Block> blocks)
    : file_(file), packed_(packed), properties_(std::move(properties)), blocks_(std::move(blocks)) {}

Lzma2BlockStream::~Lzma2BlockStream() { StopHelper(); }

size_t Lzma2BlockStream::Read(uint8_t* buffer, size_t size) {
    if (size == 0) return 0;
    while (current_ < blocks_.size()) {
        if (!open_) OpenBlock(current_);
        size_t got;
        if (direct_) {
            got = direct_->out.Read(buffer, size);
        } else {
            got = std::min(size, buffered_.size - bufferedPos_);
            std::copy_n(buffered_.bytes.get() + bufferedPos_, got, buffer);
            bufferedPos_ += got;
        }
        if (got > 0) return got;
        open_ = false;
        direct_.reset();
        buffered_ = {};
        ++current_;
    }
    return 0;
}

// The helper's block is taken from memory; any other is decoded here. The
// helper then moves to the first block after those this thread will decode.
void Lzma2BlockStream::OpenBlock(size_t index) {
    size_t next = index + 1;
    bool helpersBlock = helper_.joinable() && helperBlock_ == index;
    if (helpersBlock) {
        helper_.join();
        if (helperFailure_) std::rethrow_exception(helperFailure_);
        helpersBlock = !helperOutOfMemory_;
    }
    if (helpersBlock) {
        buffered_ = std::move(helperOutput_);
        bufferedPos_ = 0;
        next = index + 2;  // index + 1 is this thread's
    } else {
        direct_ = std::make_unique<DirectBlock>(file_, packed_, properties_, blocks_[index]);
    }
    open_ = true;
    if (!helper_.joinable() && next < blocks_.size() && blocks_[next].unpackSize <= kMaxBufferedBlock)
        StartHelper(next);
}

void Lzma2BlockStream::StartHelper(size_t index) {
    helperBlock_ = index;
    helperFailure_ = nullptr;
    helperOutOfMemory_ = false;
    try {
        helper_ = std::thread([this, index] {
            try {
                DecodeInto(index, helperOutput_);
            } catch (const std::bad_alloc&) {
                // No room for a second block: this thread decodes it instead.
                helperOutput_ = {};
                helperOutOfMemory_ = true;
            } catch (...) {
                helperFailure_ = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        // No thread to be had: this thread decodes every block itself.
    }
}

void Lzma2BlockStream::StopHelper() {
    if (!helper_.joinable()) return;
    stopping_ = true;
    helper_.join();
}

void Lzma2BlockStream::DecodeInto(size_t index, BlockBuffer& out) {
    const Lzma2Block& block = blocks_[index];
    DirectBlock decoder(file_, packed_, properties_, block);
    out.size = static_cast<size_t>(block.unpackSize);
    out.bytes.reset(new uint8_t[out.size]);
    for (size_t done = 0; done < out.size;) {
        if (stopping_) return;
        size_t want = std::min(kHelperStep, out.size - done);
        size_t got = ReadFully(decoder.out, out.bytes.get() + done, want);
        if (got != want) ThrowCorrupt("LZMA2 block ends early");
        done += got;
    }
}

}  // namespace keb
