#include "keb/Crc32.h"

#include <array>

#include "keb/BuildProfile.h"

namespace keb {
namespace {

using Table = std::array<uint32_t, 256>;

constexpr Table MakeByteTable() {
    Table t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        t[i] = c;
    }
    return t;
}

constexpr Table kByteTable = MakeByteTable();

// Slicing-by-8: eight bytes per step keep the check off the profile. The
// seven further tables are computed on first use rather than stored.
struct SliceTables {
    std::array<Table, 7> t{};  // t[s - 1] is the table of the byte s places back
    SliceTables() {
        const Table* previous = &kByteTable;
        for (Table& table : t) {
            for (uint32_t i = 0; i < 256; ++i) table[i] = ((*previous)[i] >> 8) ^ kByteTable[(*previous)[i] & 0xFF];
            previous = &table;
        }
    }
};

const SliceTables& Slices() {
    static const SliceTables tables;
    return tables;
}

}  // namespace

uint32_t UpdateCrc32(uint32_t crc, const uint8_t* p, size_t size) {
    crc = ~crc;
    if constexpr (kSlicedCrc) {
        const auto& t = Slices().t;
        while (size >= 8) {
            uint32_t lo = crc ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
            uint32_t hi = uint32_t(p[4]) | uint32_t(p[5]) << 8 | uint32_t(p[6]) << 16 | uint32_t(p[7]) << 24;
            crc = t[6][lo & 0xFF] ^ t[5][(lo >> 8) & 0xFF] ^ t[4][(lo >> 16) & 0xFF] ^ t[3][lo >> 24] ^
                  t[2][hi & 0xFF] ^ t[1][(hi >> 8) & 0xFF] ^ t[0][(hi >> 16) & 0xFF] ^ kByteTable[hi >> 24];
            p += 8;
            size -= 8;
        }
    }
    while (size--) crc = (crc >> 8) ^ kByteTable[(crc ^ *p++) & 0xFF];
    return ~crc;
}

}  // namespace keb
