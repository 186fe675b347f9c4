#pragma once
#include <array>
#include <cstdint>
#include <functional>
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

// The SHA-256 rounds a cycle count costs: 2^cycles, none for the raw key
// (63). Throws ArchiveError (cannot open) above 2^24 rounds, which no
// archiver writes and which would keep the caller busy for hours.
uint64_t DerivationRounds(unsigned cycles);

// The AES-256 key: SHA-256 over 2^cycles rounds of salt, password (UTF-16LE)
// and round counter; cycle count 63 means salt and password used as they are.
// checkpoint is called every kRoundsPerCheckpoint rounds and may throw to
// stop the derivation.
constexpr uint64_t kRoundsPerCheckpoint = uint64_t(1) << 16;
std::array<uint8_t, 32> DeriveAesKey(unsigned cycles, const std::vector<uint8_t>& salt, const std::string& ansiPassword,
                                     const std::function<void()>& checkpoint);

}  // namespace keb
