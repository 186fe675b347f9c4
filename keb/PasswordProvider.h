#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "keb/KebApi.h"

namespace keb {

// The password of one library call: the given text, or else what the
// caller's callback answers. The callback is asked at most once. Also keeps
// the AES keys derived from it: the folders of an archive share salt and
// cycle count, so a hostile archive of many folders costs one derivation.
class PasswordProvider {
public:
    PasswordProvider(const char* password, KebPasswordCallback callback)
        : password_(password ? password : ""), callback_(callback) {}

    // Throws ArchiveError (cannot open) when no password is to be had.
    const std::string& Get();
    const std::array<uint8_t, 32>& AesKey(unsigned cycles, const std::vector<uint8_t>& salt);

private:
    std::string password_;
    KebPasswordCallback callback_;
    bool asked_ = false;
    std::map<std::pair<unsigned, std::vector<uint8_t>>, std::array<uint8_t, 32>> keys_;
};

}  // namespace keb
