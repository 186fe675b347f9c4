#include "keb/BranchStreams.h"

#include <cstring>

#include "keb/ArchiveError.h"

namespace keb {

InPlaceFilterStream::InPlaceFilterStream(InStream& in) : in_(in), buffer_(size_t(1) << 16) {}

size_t InPlaceFilterStream::Read(uint8_t* out, size_t size) {
    while (begin_ == converted_) {
        if (ended_ && converted_ == end_) return 0;
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = converted_ = 0;
        while (!ended_ && end_ < buffer_.size()) {
            size_t n = in_.Read(buffer_.data() + end_, buffer_.size() - end_);
            if (n == 0) ended_ = true;
            end_ += n;
        }
        converted_ = Convert(buffer_.data(), end_);
        if (ended_) converted_ = end_;
    }
    size_t n = std::min(size, converted_ - begin_);
    std::memcpy(out, buffer_.data() + begin_, n);
    begin_ += n;
    return n;
}

namespace {
bool IsMsByte(uint8_t b) { return b == 0 || b == 0xFF; }
}  // namespace

size_t BcjX86Stream::Convert(uint8_t* data, size_t size) {
    static const bool kAllowed[8] = {true, true, true, false, true, false, false, false};
    static const uint32_t kBitNumber[8] = {0, 1, 2, 2, 3, 3, 3, 3};
    if (size < 5) return 0;
    uint32_t mask = previousMask_;
    uint32_t prev = previousPosition_;
    if (position_ - prev > 5) prev = position_ - 5;
    const size_t limit = size - 5;
    size_t i = 0;
    while (i <= limit) {
        uint8_t b = data[i];
        if (b != 0xE8 && b != 0xE9) {
            ++i;
            continue;
        }
        uint32_t offset = position_ + uint32_t(i) - prev;
        prev = position_ + uint32_t(i);
        if (offset > 5) {
            mask = 0;
        } else {
            for (uint32_t k = 0; k < offset; ++k) {
                mask &= 0x77;
                mask <<= 1;
            }
        }
        b = data[i + 4];
        if (IsMsByte(b) && kAllowed[(mask >> 1) & 7] && (mask >> 1) < 0x10) {
            uint32_t src = uint32_t(b) << 24 | uint32_t(data[i + 3]) << 16 | uint32_t(data[i + 2]) << 8 | data[i + 1];
            uint32_t dest;
            for (;;) {
                dest = src - (position_ + uint32_t(i) + 5);
                if (mask == 0) break;
                uint32_t index = kBitNumber[mask >> 1];
                b = uint8_t(dest >> (24 - index * 8));
                if (!IsMsByte(b)) break;
                src = dest ^ ((1u << (32 - index * 8)) - 1);
            }
            data[i + 4] = uint8_t(~(((dest >> 24) & 1) - 1));
            data[i + 3] = uint8_t(dest >> 16);
            data[i + 2] = uint8_t(dest >> 8);
            data[i + 1] = uint8_t(dest);
            i += 5;
            mask = 0;
        } else {
            ++i;
            mask |= 1;
            if (IsMsByte(b)) mask |= 0x10;
        }
    }
    previousMask_ = mask;
    previousPosition_ = prev;
    position_ += uint32_t(i);
    return i;
}

DeltaStream::DeltaStream(InStream& in, const std::vector<uint8_t>& properties) : InPlaceFilterStream(in) {
    if (properties.size() != 1) ThrowCorrupt("bad Delta properties");
    distance_ = properties[0] + 1u;
}

size_t DeltaStream::Convert(uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        data[i] = uint8_t(data[i] + history_[(distance_ + position_) & 0xFF]);
        history_[position_--] = data[i];
    }
    return size;
}

}  // namespace keb
