#pragma once
#include <cstdint>
#include <string>

namespace keb {

// The outcome of the library's last call, for GetLastArchiveError and for
// host tools that also show the text.
void SetLastArchiveError(uint32_t code, const std::string& text);
uint32_t LastArchiveErrorCode();
std::string LastArchiveErrorText();

}  // namespace keb
