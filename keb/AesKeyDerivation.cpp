#include "keb/AesKeyDerivation.h"

#include <algorithm>
#include <cstring>

#include "keb/AnsiText.h"
#include "keb/ArchiveError.h"
#include "keb/Crypto.h"

namespace keb {
namespace {
// 7-Zip itself never writes more than 2^24 rounds; a hostile 2^62 would
// never end.
constexpr unsigned kMaxCyclesPower = 24;
constexpr unsigned kRawKeyCycles = 0x3F;
constexpr size_t kRoundsPerUpdate = 1024;
static_assert(kRoundsPerCheckpoint % kRoundsPerUpdate == 0, "checkpoints fall between batches");
}  // namespace

uint64_t DerivationRounds(unsigned cycles) {
    if (cycles == kRawKeyCycles) return 0;
    if (cycles > kMaxCyclesPower) ThrowArchiveError(kKebErrorCannotOpen, "unsupported 7zAES cycle count");
    return uint64_t(1) << cycles;
}

AesParameters ParseAesProperties(const std::vector<uint8_t>& props) {
    if (props.empty()) ThrowCorrupt("bad 7zAES properties");
    AesParameters p;
    p.cycles = props[0] & 0x3F;
    if (props[0] & 0xC0) {
        if (props.size() < 2) ThrowCorrupt("bad 7zAES properties");
        size_t saltSize = ((props[0] >> 7) & 1u) + (props[1] >> 4);
        size_t ivSize = ((props[0] >> 6) & 1u) + (props[1] & 0x0Fu);
        if (props.size() < 2 + saltSize + ivSize) ThrowCorrupt("bad 7zAES properties");
        p.salt.assign(props.begin() + 2, props.begin() + 2 + saltSize);
        std::memcpy(p.iv.data(), props.data() + 2 + saltSize, ivSize);
    }
    return p;
}

std::array<uint8_t, 32> DeriveAesKey(unsigned cycles, const std::vector<uint8_t>& salt, const std::string& ansiPassword,
                                     const std::function<void()>& checkpoint) {
    std::array<uint8_t, 32> key{};
    std::u16string wide = AnsiToUtf16(ansiPassword);
    std::vector<uint8_t> password;
    for (char16_t c : wide) {
        password.push_back(uint8_t(c));
        password.push_back(uint8_t(c >> 8));
    }

    if (cycles == kRawKeyCycles) {
        std::vector<uint8_t> raw = salt;
        raw.insert(raw.end(), password.begin(), password.end());
        std::memcpy(key.data(), raw.data(), std::min(raw.size(), key.size()));
        return key;
    }
    const uint64_t rounds = DerivationRounds(cycles);

    // Rounds of salt + password + 64-bit counter, hashed many rounds at a time.
    const size_t block = salt.size() + password.size() + 8;
    std::vector<uint8_t> batch(block * kRoundsPerUpdate);
    for (size_t r = 0; r < kRoundsPerUpdate; ++r) {
        uint8_t* p = batch.data() + r * block;
        std::copy(salt.begin(), salt.end(), p);
        std::copy(password.begin(), password.end(), p + salt.size());
    }
    Sha256 sha;
    for (uint64_t round = 0; round < rounds;) {
        if (round % kRoundsPerCheckpoint == 0) checkpoint();
        size_t inBatch = static_cast<size_t>(std::min<uint64_t>(kRoundsPerUpdate, rounds - round));
        for (size_t r = 0; r < inBatch; ++r) {
            uint8_t* counter = batch.data() + r * block + block - 8;
            for (int k = 0; k < 8; ++k) counter[k] = uint8_t((round + r) >> (8 * k));
        }
        sha.Update(batch.data(), inBatch * block);
        round += inBatch;
    }
    return sha.Final();
}

}  // namespace keb
