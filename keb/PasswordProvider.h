#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "keb/ArchiveDatabase.h"
#include "keb/KebApi.h"

namespace keb {

// The password of one library call: the given text, or else what the
// caller's callback answers. The callback is asked at most once. Also keeps
// the AES keys derived from it, each (cycle count, salt) derived once, and
// bounds their total work: a hostile archive of many folders, each with its
// own salt at the highest cycle count, would otherwise keep the caller busy
// for minutes per folder.
class PasswordProvider {
public:
    // checkpoint is called every so many rounds while a key is derived and
    // may throw to stop.
    PasswordProvider(const char* password, KebPasswordCallback callback, std::function<void()> checkpoint = {})
        : password_(password ? password : ""), callback_(callback),
          checkpoint_(checkpoint ? std::move(checkpoint) : [] {}) {}

    // Throws ArchiveError (cannot open) when no password is to be had.
    const std::string& Get();
    // Throws ArchiveError (cannot open) when the key would exceed the work
    // left to this call.
    const std::array<uint8_t, 32>& AesKey(unsigned cycles, const std::vector<uint8_t>& salt);
    // Refuses, before any of it is done, an archive whose folders need more
    // key derivation than this call may spend: throws ArchiveError (cannot
    // open).
    void CheckKeyWork(const ArchiveDatabase& db) const;

private:
    using KeyId = std::pair<unsigned, std::vector<uint8_t>>;
    void RequireRounds(uint64_t rounds) const;

    std::string password_;
    KebPasswordCallback callback_;
    std::function<void()> checkpoint_;
    bool asked_ = false;
    std::map<KeyId, std::array<uint8_t, 32>> keys_;
    uint64_t roundsSpent_ = 0;
};

}  // namespace keb
