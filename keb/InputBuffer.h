#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "keb/InStream.h"

namespace keb {

// A window onto a packed stream for decoders that read byte by byte. After
// the real data come kPadding zero bytes, so a decoder may read one whole
// symbol before it checks Overrun().
class InputBuffer {
public:
    static constexpr size_t kPadding = 64;

    explicit InputBuffer(InStream& source, size_t capacity = size_t(1) << 16);

    const uint8_t* cur = nullptr;  // next unread byte
    const uint8_t* end = nullptr;  // end of the real data

    // Moves the unread bytes to the front and reads more from the source.
    void Fill();
    // Makes `size` bytes available unless the source ends first.
    bool Ensure(size_t size);
    bool SourceEnded() const { return ended_; }
    bool Overrun() const { return cur > end; }
    // Throws when a decoder has read into the padding.
    void CheckNotOverrun() const;
    uint64_t Consumed() const { return base_ + static_cast<uint64_t>(cur - buffer_.data()); }
    uint8_t ReadByte();

private:
    InStream& source_;
    std::vector<uint8_t> buffer_;
    size_t capacity_;
    uint64_t base_ = 0;  // stream position of buffer_[0]
    bool ended_ = false;
};

}  // namespace keb
