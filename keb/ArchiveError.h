#pragma once
#include <cstdint>
#include <exception>
#include <string>

#include "keb/KebApi.h"

namespace keb {

// Every failure inside the library: a code for GetLastArchiveError and a text
// for people. Its own text rather than std::runtime_error's: that class keeps
// its text in the C++ library's old reference-counted string, whose code (and
// what it drags along) would be most of the single-file launcher.
class ArchiveError : public std::exception {
public:
    ArchiveError(uint32_t code, std::string text) : text_(std::move(text)), code_(code) {}
    const char* what() const noexcept override { return text_.c_str(); }
    uint32_t code() const { return code_; }

private:
    std::string text_;
    uint32_t code_;
};

[[noreturn]] inline void ThrowCorrupt(const std::string& what) {
    throw ArchiveError(kKebErrorCorrupt, "corrupted archive: " + what);
}

}  // namespace keb
