#pragma once
#include <string>

// The engine message file orvanta ships for a language (UTF-8, 90 lines), or
// null; English is the engine's built-in text.
const char* ShippedMessageFileUtf8(const std::string& language);
