#pragma once
#include <cstddef>
#include <cstdint>

namespace keb {

// CRC-32 (IEEE, reflected) as 7z stores it. Start with 0 and feed the
// previous result back in to continue over several pieces.
uint32_t UpdateCrc32(uint32_t crc, const uint8_t* data, size_t size);

}  // namespace keb
