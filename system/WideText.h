#pragma once
#include <string>

// The engine's one conversion between its ANSI texts and UTF-16: the active
// code page on Windows, Latin-1 on the host. (keb.dll keeps its own in
// keb/AnsiText: it ships alone and maps archive names more strictly.)

// The text as UTF-16LE bytes without a byte-order mark, as files store it.
std::string Utf16LeFromAnsi(const std::string& text);

#ifdef _WIN32
// For the wide-only Windows interfaces, and back; a null text is empty.
std::wstring WideFromAnsi(const std::string& text);
// The few texts the engine keeps in UTF-8 (the languages' own names, which
// no single code page holds).
std::wstring WideFromUtf8(const std::string& text);
std::string AnsiFromWide(const wchar_t* text);                 // up to its terminating zero
std::string AnsiFromWide(const wchar_t* text, size_t length);  // exactly length units
#endif
