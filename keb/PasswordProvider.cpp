#include "keb/PasswordProvider.h"

#include <cstring>
#include <set>
#include <vector>

#include "keb/AesKeyDerivation.h"
#include "keb/ArchiveError.h"

namespace keb {
namespace {

// Four keys at the highest cycle count 7-Zip writes (2^24 rounds: under a
// second with OpenSSL, about three with CNG under Wine). Archivers derive one
// key for the whole archive (7-Zip and py7zr use no salt), so a legitimate
// archive stays far below.
constexpr uint64_t kMaxRoundsPerCall = uint64_t(4) << 24;

}  // namespace

const std::string& PasswordProvider::Get() {
    if (password_.empty() && callback_ && !asked_) {
        asked_ = true;
        std::vector<char> buffer(kKebPasswordBufferSize, '\0');
        if (callback_(buffer.data()) == 1) password_.assign(buffer.data(), strnlen(buffer.data(), buffer.size() - 1));
    }
    if (password_.empty()) ThrowArchiveError(kKebErrorCannotOpen, "the archive is encrypted and no password was given");
    return password_;
}

const std::array<uint8_t, 32>& PasswordProvider::AesKey(unsigned cycles, const std::vector<uint8_t>& salt) {
    KeyId id{cycles, salt};
    auto found = keys_.find(id);
    if (found != keys_.end()) return found->second;
    uint64_t rounds = DerivationRounds(cycles);
    RequireRounds(rounds);
    auto key = DeriveAesKey(cycles, salt, Get(), checkpoint_);
    roundsSpent_ += rounds;
    return keys_.emplace(std::move(id), key).first->second;
}

void PasswordProvider::CheckKeyWork(const ArchiveDatabase& db) const {
    std::set<KeyId> needed;
    for (const Folder& folder : db.folders) {
        for (const Coder& coder : folder.coders) {
            if (coder.methodId != method::kAes) continue;
            AesParameters aes = ParseAesProperties(coder.properties);
            KeyId id{aes.cycles, aes.salt};
            if (!keys_.count(id)) needed.insert(std::move(id));
        }
    }
    uint64_t rounds = 0;
    for (const KeyId& id : needed) {
        rounds += DerivationRounds(id.first);
        RequireRounds(rounds);
    }
}

void PasswordProvider::RequireRounds(uint64_t rounds) const {
    if (rounds > kMaxRoundsPerCall - roundsSpent_)
        ThrowArchiveError(kKebErrorCannotOpen, "the archive's keys need more derivation work than any archiver's");
}

}  // namespace keb
