#pragma once
#include <string>

#include "keb/KebApi.h"

namespace keb {

// The password of one library call: the given text, or else what the
// caller's callback answers. The callback is asked at most once.
class PasswordProvider {
public:
    PasswordProvider(const char* password, KebPasswordCallback callback)
        : password_(password ? password : ""), callback_(callback) {}

    // Throws ArchiveError (cannot open) when no password is to be had.
    const std::string& Get();

private:
    std::string password_;
    KebPasswordCallback callback_;
    bool asked_ = false;
};

}  // namespace keb
