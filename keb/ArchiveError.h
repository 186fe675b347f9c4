#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

#include "keb/KebApi.h"

namespace keb {

// Every failure inside the library: a code for GetLastArchiveError and a text
// for people.
class ArchiveError : public std::runtime_error {
public:
    ArchiveError(uint32_t code, const std::string& text) : std::runtime_error(text), code_(code) {}
    uint32_t code() const { return code_; }

private:
    uint32_t code_;
};

[[noreturn]] inline void ThrowCorrupt(const std::string& what) {
    throw ArchiveError(kKebErrorCorrupt, "corrupted archive: " + what);
}

}  // namespace keb
