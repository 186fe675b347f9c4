#include "keb/Bcj2Stream.h"

#include <algorithm>

#include "keb/ArchiveError.h"

namespace keb {
namespace {
constexpr uint32_t kTop = 1u << 24;

bool IsJump(uint8_t previous, uint8_t b) { return (b & 0xFE) == 0xE8 || (previous == 0x0F && (b & 0xF0) == 0x80); }
}  // namespace

Bcj2Stream::Bcj2Stream(InStream& main, InStream& calls, InStream& jumps, InStream& rangeCoded)
    : main_(main), calls_(calls, 1 << 12), jumps_(jumps, 1 << 12), rc_(rangeCoded, 1 << 12) {
    std::fill(std::begin(probs_), std::end(probs_), uint16_t(1u << 10));
}

bool Bcj2Stream::DecodeBit(uint16_t& prob) {
    if (!started_) {
        for (int i = 0; i < 5; ++i) code_ = (code_ << 8) | rc_.ReadByte();
        started_ = true;
    }
    uint32_t bound = (range_ >> 11) * prob;
    bool bit;
    if (code_ < bound) {
        range_ = bound;
        prob = uint16_t(prob + (((1u << 11) - prob) >> 5));
        bit = false;
    } else {
        range_ -= bound;
        code_ -= bound;
        prob = uint16_t(prob - (prob >> 5));
        bit = true;
    }
    if (range_ < kTop) {
        range_ <<= 8;
        code_ = (code_ << 8) | rc_.ReadByte();
    }
    return bit;
}

uint32_t Bcj2Stream::ReadAddress(InputBuffer& from) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | from.ReadByte();
    return v;
}

size_t Bcj2Stream::Read(uint8_t* out, size_t size) {
    size_t n = 0;
    while (n < size) {
        if (pendingBegin_ < pendingEnd_) {
            out[n++] = pending_[pendingBegin_++];
            continue;
        }
        if (decisionPending_) {
            decisionPending_ = false;
            uint16_t& prob = opcode_ == 0xE8 ? probs_[prevByte_] : (opcode_ == 0xE9 ? probs_[256] : probs_[257]);
            if (!DecodeBit(prob)) {
                prevByte_ = opcode_;
                continue;
            }
            uint32_t dest = ReadAddress(opcode_ == 0xE8 ? calls_ : jumps_) - (position_ + 4);
            for (int i = 0; i < 4; ++i) pending_[i] = uint8_t(dest >> (8 * i));
            pendingBegin_ = 0;
            pendingEnd_ = 4;
            position_ += 4;
            prevByte_ = uint8_t(dest >> 24);
            continue;
        }
        // Copy plain bytes up to the next branch opcode.
        if (!main_.Ensure(1)) break;
        const uint8_t* p = main_.cur;
        const uint8_t* end = main_.cur + std::min<size_t>(main_.end - main_.cur, size - n);
        uint8_t prev = prevByte_;
        while (p < end) {
            uint8_t b = *p++;
            out[n++] = b;
            if (IsJump(prev, b)) {
                opcode_ = b;
                decisionPending_ = true;
                break;
            }
            prev = b;
        }
        position_ += static_cast<uint32_t>(p - main_.cur);
        main_.cur = p;
        prevByte_ = prev;
    }
    return n;
}

}  // namespace keb
