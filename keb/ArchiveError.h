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

// How the library fails: throws ArchiveError. A build without exceptions (the
// single-file launcher, which cannot afford the unwinder) instead ends in
// EndOnArchiveError.
[[noreturn]] void ThrowArchiveError(uint32_t code, std::string text);

[[noreturn]] inline void ThrowCorrupt(const std::string& what) {
    ThrowArchiveError(kKebErrorCorrupt, "corrupted archive: " + what);
}

#if !__cpp_exceptions
// Defined by the program that builds the library without exceptions; it
// reports the failure as it sees fit and must not return. Nothing has
// unwound: the files being written are still open until
// OutputFile::AbandonAll closes and deletes them.
[[noreturn]] void EndOnArchiveError(const ArchiveError& error);
#endif

// Runs decode() on data that is encrypted or not. Garbage from a wrong key
// shows up as corruption, so for encrypted data a corrupt result says
// wrongKey instead.
template <class Decode>
auto DecodeMaybeEncrypted(bool encrypted, const char* wrongKey, Decode decode) -> decltype(decode()) {
#if __cpp_exceptions
    if (encrypted) {
        try {
            return decode();
        } catch (const ArchiveError& e) {
            if (e.code() == kKebErrorCorrupt) throw ArchiveError(kKebErrorCannotOpen, wrongKey);
            throw;
        }
    }
#else
    (void)encrypted;  // such a build holds no cipher
    (void)wrongKey;
#endif
    return decode();
}

}  // namespace keb
