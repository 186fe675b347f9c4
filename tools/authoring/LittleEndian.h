#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

// Little-endian fields of binary files (PE images, icon files) held in a
// std::string. A read beyond the end means a malformed file and throws.

inline uint32_t ReadLE(const std::string& bytes, uint64_t at, int width) {
    if (at + width > bytes.size()) throw std::runtime_error("malformed file: a field lies beyond its end");
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

inline void WriteLE(std::string& bytes, uint64_t at, uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline void AppendLE(std::string& bytes, uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Appends zero bytes until the size is a multiple of alignment.
inline void PadTo(std::string& bytes, size_t alignment) {
    bytes.append((alignment - bytes.size() % alignment) % alignment, '\0');
}

inline uint32_t AlignUp(uint32_t value, uint32_t alignment) { return (value + alignment - 1) / alignment * alignment; }
