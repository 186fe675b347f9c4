#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace keb {

// Reads the primitive values of 7z headers from a byte range; running past the
// end is reported as a corrupted archive.
class HeaderReader {
public:
    HeaderReader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}

    size_t Remaining() const { return static_cast<size_t>(end_ - p_); }
    const uint8_t* Position() const { return p_; }
    uint8_t Byte();
    uint32_t UInt32();
    uint64_t UInt64();
    // The variable-length number: leading one bits of the first byte count
    // the extra little-endian bytes.
    uint64_t Number();
    // A number used as a count of items, each needing at least one bit of the
    // rest of the header: anything larger is corrupt, not an allocation.
    uint32_t Count();
    void Skip(uint64_t size);
    std::vector<bool> Bits(size_t count);
    // An "all defined" byte followed, when 0, by a bit vector.
    std::vector<bool> DefinedBits(size_t count);

private:
    void Need(size_t size) const;
    const uint8_t* p_;
    const uint8_t* end_;
};

}  // namespace keb
