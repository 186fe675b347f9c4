#pragma once
#include <string>

namespace keb {

// Conversions between the UTF-16 texts stored in archives and the engine's
// ANSI texts: the active code page on Windows, Windows-1252 on the host.
// Characters the code page lacks become "_" (never a path character).
std::string Utf16ToAnsi(const std::u16string& text);
std::u16string AnsiToUtf16(const std::string& text);

}  // namespace keb
