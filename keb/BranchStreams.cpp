#include "keb/BranchStreams.h"

#include <algorithm>
#include <cstring>

#include "keb/ArchiveError.h"

namespace keb {

InPlaceFilterStream::InPlaceFilterStream(InStream& in) : in_(in), buffer_(size_t(1) << 16) {}

size_t InPlaceFilterStream::Read(uint8_t* out, size_t size) {
    if (begin_ == converted_ && size >= buffer_.size()) return ReadInPlace(out, size);
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

// A large read is converted where the reader wants it, without passing
// through the buffer: only the bytes left for the next block stay there.
size_t InPlaceFilterStream::ReadInPlace(uint8_t* out, size_t size) {
    size_t have = end_ - begin_;
    std::memcpy(out, buffer_.data() + begin_, have);
    while (!ended_ && have < size) {
        size_t n = in_.Read(out + have, size - have);
        if (n == 0) ended_ = true;
        have += n;
    }
    size_t done = Convert(out, have);
    if (ended_) done = have;
    std::memcpy(buffer_.data(), out + done, have - done);
    begin_ = converted_ = 0;
    end_ = have - done;
    return done;
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

namespace {

uint32_t ReadLe32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint32_t ReadBe32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

void WriteLe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

void WriteBe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

}  // namespace

// BL: a 24-bit word offset from the instruction's address + 8.
size_t DecodeArm(uint8_t* data, size_t size, uint32_t position) {
    size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        if (data[i + 3] != 0xEB) continue;
        uint32_t target = (uint32_t(data[i + 2]) << 16 | uint32_t(data[i + 1]) << 8 | data[i]) << 2;
        uint32_t offset = (target - (position + uint32_t(i) + 8)) >> 2;
        data[i + 2] = uint8_t(offset >> 16);
        data[i + 1] = uint8_t(offset >> 8);
        data[i] = uint8_t(offset);
    }
    return i;
}

// Thumb BL: a pair of 16-bit halves holding 22 bits of half-word offset from
// the instruction's address + 4.
size_t DecodeArmThumb(uint8_t* data, size_t size, uint32_t position) {
    size_t i = 0;
    for (; i + 4 <= size; i += 2) {
        if ((data[i + 1] & 0xF8) != 0xF0 || (data[i + 3] & 0xF8) != 0xF8) continue;
        uint32_t target = (uint32_t(data[i + 1] & 7) << 19 | uint32_t(data[i]) << 11 | uint32_t(data[i + 3] & 7) << 8 |
                           data[i + 2])
                          << 1;
        uint32_t offset = (target - (position + uint32_t(i) + 4)) >> 1;
        data[i + 1] = uint8_t(0xF0 | ((offset >> 19) & 7));
        data[i] = uint8_t(offset >> 11);
        data[i + 3] = uint8_t(0xF8 | ((offset >> 8) & 7));
        data[i + 2] = uint8_t(offset);
        i += 2;
    }
    return i;
}

// BL (26-bit word offset) and ADRP (21-bit page offset, converted only
// within +-512 MiB so that data words rarely match).
size_t DecodeArm64(uint8_t* data, size_t size, uint32_t position) {
    size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        uint32_t instruction = ReadLe32(data + i);
        uint32_t pc = position + uint32_t(i);
        if ((instruction >> 26) == 0x25) {
            WriteLe32(data + i, 0x94000000 | ((instruction - (pc >> 2)) & 0x03FFFFFF));
        } else if ((instruction & 0x9F000000) == 0x90000000) {
            uint32_t page = ((instruction >> 29) & 3) | ((instruction >> 3) & 0x001FFFFC);
            if ((page + 0x00020000) & 0x001C0000) continue;
            page -= pc >> 12;
            instruction &= 0x9000001F;
            instruction |= (page & 3) << 29;
            instruction |= (page & 0x0003FFFC) << 3;
            instruction |= (0u - (page & 0x00020000)) & 0x00E00000;
            WriteLe32(data + i, instruction);
        }
    }
    return i;
}

// Big-endian "bl": opcode 18 with AA = 0 and LK = 1.
size_t DecodePowerPc(uint8_t* data, size_t size, uint32_t position) {
    size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        if ((data[i] >> 2) != 0x12 || (data[i + 3] & 3) != 1) continue;
        uint32_t target = ReadBe32(data + i) & 0x03FFFFFC;
        uint32_t offset = target - (position + uint32_t(i));
        WriteBe32(data + i, 0x48000000 | (offset & 0x03FFFFFF) | 1);
    }
    return i;
}

// "call" with a displacement that fits in 23 bits (sign included).
size_t DecodeSparc(uint8_t* data, size_t size, uint32_t position) {
    size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        if (!(data[i] == 0x40 && (data[i + 1] & 0xC0) == 0x00) && !(data[i] == 0x7F && (data[i + 1] & 0xC0) == 0xC0))
            continue;
        uint32_t offset = ((ReadBe32(data + i) << 2) - (position + uint32_t(i))) >> 2;
        offset = (((0u - ((offset >> 22) & 1)) << 22) & 0x3FFFFFFF) | (offset & 0x3FFFFF) | 0x40000000;
        WriteBe32(data + i, offset);
    }
    return i;
}

// 16-byte bundles: the template says which of the three 41-bit slots hold
// a branch unit; an IP-relative branch there has its 21-bit bundle offset
// converted.
size_t DecodeIa64(uint8_t* data, size_t size, uint32_t position) {
    static const uint8_t kBranchSlots[32] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                             4, 4, 6, 6, 0, 0, 7, 7, 4, 4, 0, 0, 4, 4, 0, 0};
    size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        uint32_t slots = kBranchSlots[data[i] & 0x1F];
        for (uint32_t slot = 0, bit = 5; slot < 3; ++slot, bit += 41) {
            if (((slots >> slot) & 1) == 0) continue;
            uint8_t* at = data + i + (bit >> 3);
            uint32_t shift = bit & 7;
            uint64_t raw = 0;
            for (int j = 0; j < 6; ++j) raw |= uint64_t(at[j]) << (8 * j);
            uint64_t instruction = raw >> shift;
            if (((instruction >> 37) & 0xF) != 0x5 || ((instruction >> 9) & 0x7) != 0) continue;
            uint32_t target = uint32_t((instruction >> 13) & 0xFFFFF) | uint32_t((instruction >> 36) & 1) << 20;
            uint32_t offset = ((target << 4) - (position + uint32_t(i))) >> 4;
            instruction &= ~(uint64_t(0x8FFFFF) << 13);
            instruction |= uint64_t(offset & 0xFFFFF) << 13;
            instruction |= uint64_t(offset & 0x100000) << (36 - 20);
            raw = (raw & ((uint64_t(1) << shift) - 1)) | instruction << shift;
            for (int j = 0; j < 6; ++j) at[j] = uint8_t(raw >> (8 * j));
        }
    }
    return i;
}

// JAL with rd = ra or t0, and AUIPC paired with the next instruction that
// uses its register. The encoder stores a pair as AUIPC with rd = sp
// carrying the second instruction's high bits, followed by the big-endian
// absolute address; a real AUIPC sp pair that would read as such was
// stored with its halves swapped.
size_t DecodeRiscV(uint8_t* data, size_t size, uint32_t position) {
    if (size < 8) return 0;
    const size_t last = size - 8;
    size_t i = 0;
    for (; i <= last; i += 2) {
        uint32_t instruction = data[i];
        if (instruction == 0xEF) {
            uint32_t b1 = data[i + 1];
            if ((b1 & 0x0D) != 0) continue;
            uint32_t address = (b1 & 0xF0) << 13 | uint32_t(data[i + 2]) << 9 | uint32_t(data[i + 3]) << 1;
            address -= position + uint32_t(i);
            data[i + 1] = uint8_t((b1 & 0x0F) | ((address >> 8) & 0xF0));
            data[i + 2] = uint8_t(((address >> 16) & 0x0F) | ((address >> 7) & 0x10) | ((address << 4) & 0xE0));
            data[i + 3] = uint8_t(((address >> 4) & 0x7F) | ((address >> 13) & 0x80));
            i += 4 - 2;
            continue;
        }
        if ((instruction & 0x7F) != 0x17) continue;
        instruction = ReadLe32(data + i);
        uint32_t second = ReadLe32(data + i + 4);
        if (instruction & 0xE80) {
            // rd is neither x0 nor x2: a swapped real pair when rd matches
            // the second word's rs1 and that word is a 32-bit instruction.
            if (((instruction << 8) ^ (second - 3)) & 0xF8003) {
                i += 6 - 2;
                continue;
            }
            uint32_t high = instruction & 0xFFFFF000;
            WriteLe32(data + i, 0x17 | (2 << 7) | (second << 12));
            WriteLe32(data + i + 4, high | (second >> 20));
        } else {
            // rd = sp carrying a 32-bit second instruction whose rs1 is
            // neither x0 nor x2: a converted pair.
            uint32_t rs1 = instruction >> 27;
            if (uint32_t((instruction - 0x3117) << 18) >= (rs1 & 0x1D)) {
                i += 4 - 2;
                continue;
            }
            uint32_t address = ReadBe32(data + i + 4) - (position + uint32_t(i));
            WriteLe32(data + i, 0x17 | (rs1 << 7) | ((address + 0x800) & 0xFFFFF000));
            WriteLe32(data + i + 4, (instruction >> 12) | (address << 20));
        }
        i += 8 - 2;
    }
    return i;
}

BranchStream::BranchStream(InStream& in, BranchDecoder decoder, const std::vector<uint8_t>& properties)
    : InPlaceFilterStream(in), decoder_(decoder) {
    if (properties.size() == 4) position_ = ReadLe32(properties.data());
    else if (!properties.empty()) ThrowCorrupt("bad branch filter properties");
}

size_t BranchStream::Convert(uint8_t* data, size_t size) {
    size_t done = decoder_(data, size, position_);
    position_ += uint32_t(done);
    return done;
}

namespace {
// Whole words loaded, swapped and stored: the compiler vectorises this.
template <typename Word, Word (*Swap)(Word)>
size_t SwapWords(uint8_t* data, size_t size) {
    size_t words = size / sizeof(Word);
    for (size_t k = 0; k < words; ++k) {
        Word w;
        std::memcpy(&w, data + k * sizeof(Word), sizeof(Word));
        w = Swap(w);
        std::memcpy(data + k * sizeof(Word), &w, sizeof(Word));
    }
    return words * sizeof(Word);
}
uint16_t Swap16(uint16_t w) { return __builtin_bswap16(w); }
uint32_t Swap32(uint32_t w) { return __builtin_bswap32(w); }
}  // namespace

size_t SwapStream::Convert(uint8_t* data, size_t size) {
    return width_ == 2 ? SwapWords<uint16_t, Swap16>(data, size) : SwapWords<uint32_t, Swap32>(data, size);
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
