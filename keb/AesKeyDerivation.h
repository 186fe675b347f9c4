#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace keb {

// What the 7zAES coder properties hold: the SHA-256 cycle count (as a power
// of two), the salt and the IV.
struct AesParameters {
    unsigned cycles = 0;
    std::vector<uint8_t> salt;
    std::array<uint8_t, 16> iv{};
};
AesParameters ParseAesProperties(const std::vector<uint8_t>& properties);

// The AES-256 key: SHA-256 over 2^cycles rounds of salt, password (UTF-16LE)
// and round counter; cycle count 63 means salt and password used as they are.
std::array<uint8_t, 32> DeriveAesKey(unsigned cycles, const std::vector<uint8_t>& salt, const std::string& ansiPassword);

}  // namespace keb
