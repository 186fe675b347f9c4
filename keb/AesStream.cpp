#include "keb/AesStream.h"

#include <cstring>

#include "keb/AnsiText.h"
#include "keb/ArchiveError.h"

namespace keb {
namespace {
// 7-Zip itself never writes more than 2^24 rounds; a hostile 2^62 would
// never end.
constexpr unsigned kMaxCyclesPower = 24;
constexpr unsigned kRawKeyCycles = 0x3F;
constexpr size_t kRoundsPerUpdate = 1024;
}  // namespace

AesKey DeriveAesKey(const std::vector<uint8_t>& props, const std::string& ansiPassword) {
    if (props.empty()) ThrowCorrupt("bad 7zAES properties");
    unsigned cycles = props[0] & 0x3F;
    std::vector<uint8_t> salt;
    AesKey result;
    if (props[0] & 0xC0) {
        if (props.size() < 2) ThrowCorrupt("bad 7zAES properties");
        size_t saltSize = ((props[0] >> 7) & 1u) + (props[1] >> 4);
        size_t ivSize = ((props[0] >> 6) & 1u) + (props[1] & 0x0Fu);
        if (props.size() < 2 + saltSize + ivSize) ThrowCorrupt("bad 7zAES properties");
        salt.assign(props.begin() + 2, props.begin() + 2 + saltSize);
        std::memcpy(result.iv.data(), props.data() + 2 + saltSize, ivSize);
    }
    std::u16string wide = AnsiToUtf16(ansiPassword);
    std::vector<uint8_t> password;
    for (char16_t c : wide) {
        password.push_back(uint8_t(c));
        password.push_back(uint8_t(c >> 8));
    }

    if (cycles == kRawKeyCycles) {
        std::vector<uint8_t> raw = salt;
        raw.insert(raw.end(), password.begin(), password.end());
        std::memcpy(result.key.data(), raw.data(), std::min(raw.size(), result.key.size()));
        return result;
    }
    if (cycles > kMaxCyclesPower)
        throw ArchiveError(kKebErrorCannotOpen, "unsupported 7zAES cycle count");

    // Rounds of salt + password + 64-bit counter, hashed many rounds at a time.
    const size_t block = salt.size() + password.size() + 8;
    const uint64_t rounds = uint64_t(1) << cycles;
    std::vector<uint8_t> batch(block * kRoundsPerUpdate);
    for (size_t r = 0; r < kRoundsPerUpdate; ++r) {
        uint8_t* p = batch.data() + r * block;
        std::copy(salt.begin(), salt.end(), p);
        std::copy(password.begin(), password.end(), p + salt.size());
    }
    Sha256 sha;
    for (uint64_t round = 0; round < rounds;) {
        size_t inBatch = static_cast<size_t>(std::min<uint64_t>(kRoundsPerUpdate, rounds - round));
        for (size_t r = 0; r < inBatch; ++r) {
            uint8_t* counter = batch.data() + r * block + block - 8;
            for (int k = 0; k < 8; ++k) counter[k] = uint8_t((round + r) >> (8 * k));
        }
        sha.Update(batch.data(), inBatch * block);
        round += inBatch;
    }
    result.key = sha.Final();
    return result;
}

AesStream::AesStream(InStream& in, const AesKey& key) : in_(in), decryptor_(key.key, key.iv), buffer_(size_t(1) << 16) {}

size_t AesStream::Read(uint8_t* out, size_t size) {
    while (begin_ == decrypted_) {
        if (ended_) {
            if (end_ != decrypted_) ThrowCorrupt("encrypted data is not a whole number of blocks");
            return 0;
        }
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = decrypted_ = 0;
        while (!ended_ && end_ < buffer_.size()) {
            size_t n = in_.Read(buffer_.data() + end_, buffer_.size() - end_);
            if (n == 0) ended_ = true;
            end_ += n;
        }
        decrypted_ = end_ - end_ % 16;
        if (decrypted_ > 0) decryptor_.Decrypt(buffer_.data(), decrypted_);
    }
    size_t n = std::min(size, decrypted_ - begin_);
    std::memcpy(out, buffer_.data() + begin_, n);
    begin_ += n;
    return n;
}

}  // namespace keb
