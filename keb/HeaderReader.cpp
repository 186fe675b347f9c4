#include "keb/HeaderReader.h"

#include "keb/ArchiveError.h"

namespace keb {

void HeaderReader::Need(size_t size) const {
    if (Remaining() < size) ThrowCorrupt("header ends too early");
}

uint8_t HeaderReader::Byte() {
    Need(1);
    return *p_++;
}

uint32_t HeaderReader::UInt32() {
    Need(4);
    uint32_t v = uint32_t(p_[0]) | uint32_t(p_[1]) << 8 | uint32_t(p_[2]) << 16 | uint32_t(p_[3]) << 24;
    p_ += 4;
    return v;
}

uint64_t HeaderReader::UInt64() {
    uint64_t lo = UInt32();
    return lo | uint64_t(UInt32()) << 32;
}

uint64_t HeaderReader::Number() {
    uint8_t first = Byte();
    uint8_t mask = 0x80;
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i) {
        if ((first & mask) == 0) {
            uint64_t high = first & (mask - 1u);
            return value | (high << (8 * i));
        }
        value |= uint64_t(Byte()) << (8 * i);
        mask >>= 1;
    }
    return value;
}

uint32_t HeaderReader::Count() {
    uint64_t n = Number();
    if (n > uint64_t(Remaining()) * 8 + 8 || n > (1u << 26)) ThrowCorrupt("implausible item count");
    return static_cast<uint32_t>(n);
}

void HeaderReader::Skip(uint64_t size) {
    if (size > Remaining()) ThrowCorrupt("header ends too early");
    p_ += size;
}

std::vector<bool> HeaderReader::Bits(size_t count) {
    Need((count + 7) / 8);
    std::vector<bool> bits(count);
    for (size_t i = 0; i < count; ++i) bits[i] = (p_[i / 8] >> (7 - i % 8)) & 1;
    p_ += (count + 7) / 8;
    return bits;
}

std::vector<bool> HeaderReader::DefinedBits(size_t count) {
    if (Byte() != 0) return std::vector<bool>(count, true);
    return Bits(count);
}

}  // namespace keb
