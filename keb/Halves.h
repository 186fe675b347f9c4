#pragma once
#include <cstdint>

namespace keb {

// The callbacks take 64-bit sizes and times as two 32-bit halves.
inline uint32_t LowHalf(uint64_t v) { return static_cast<uint32_t>(v); }
inline uint32_t HighHalf(uint64_t v) { return static_cast<uint32_t>(v >> 32); }

}  // namespace keb
