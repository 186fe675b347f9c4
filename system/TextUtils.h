#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Text helpers shared by every part of the engine. Texts are single-byte ANSI;
// letter case is folded with the ASCII rule unless a function says otherwise.

std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);
bool SameText(std::string_view a, std::string_view b);

// Removes leading and trailing characters up to and including the blank
// (control characters and blanks).
std::string TrimBlanks(std::string_view text);

bool StartsWith(std::string_view text, std::string_view prefix);
bool EndsWith(std::string_view text, std::string_view suffix);

// Replaces occurrences of pattern, left to right without overlap. With
// ignoreCase the search runs on upper-cased copies while unmatched stretches
// are copied from the input. An empty text or a pattern longer than the text
// leaves the text unchanged.
std::string ReplaceText(std::string_view text, std::string_view pattern, std::string_view replacement,
                        bool ignoreCase, bool all = true);

// Signed 32-bit integer in the engine's integer form: optional leading blanks,
// an optional sign, then decimal digits or hexadecimal digits introduced by
// "$", "x", "X", "0x" or "0X". Nothing may follow. Hexadecimal values up to
// FFFFFFFF are taken as their 32-bit pattern.
std::optional<int32_t> ParseInt32(std::string_view text);
// The same rules for 64-bit values.
std::optional<int64_t> ParseInt64(std::string_view text);

// Splits a text into lines at CR LF, a lone LF or a lone CR. A final line
// end does not start another line.
std::vector<std::string> SplitLines(std::string_view text);
// Joins lines, each followed by CR LF.
std::string JoinCrLf(const std::vector<std::string>& lines);

// Folder text with exactly one trailing backslash added when missing.
std::string WithBackslash(std::string_view folder);
