#include "keb/PasswordProvider.h"

#include <cstring>
#include <vector>

#include "keb/AesKeyDerivation.h"
#include "keb/ArchiveError.h"

namespace keb {

const std::string& PasswordProvider::Get() {
    if (password_.empty() && callback_ && !asked_) {
        asked_ = true;
        std::vector<char> buffer(kKebPasswordBufferSize, '\0');
        if (callback_(buffer.data()) == 1) password_.assign(buffer.data(), strnlen(buffer.data(), buffer.size() - 1));
    }
    if (password_.empty()) throw ArchiveError(kKebErrorCannotOpen, "the archive is encrypted and no password was given");
    return password_;
}

const std::array<uint8_t, 32>& PasswordProvider::AesKey(unsigned cycles, const std::vector<uint8_t>& salt) {
    auto id = std::make_pair(cycles, salt);
    auto found = keys_.find(id);
    if (found == keys_.end()) found = keys_.emplace(id, DeriveAesKey(cycles, salt, Get())).first;
    return found->second;
}

}  // namespace keb
