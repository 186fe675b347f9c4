#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "dialogs/FormFile.h"

// Numbers in the text form and in property texts.

// Extended as Pascal's Str writes it: "1.50000000000000000000E+0000"
// (21 significant digits, so every 80-bit value reads back exactly);
// "+Inf", "-Inf" and "Nan" for the values that have no digits.
std::string ExtendedText(const Extended80& value);
// The shortest texts that read back to the same single and double.
std::string SingleText(uint32_t bits);
std::string DoubleText(uint64_t bits);
// Currency amount (stored times 10000) in plain decimals: "-12.5".
std::string CurrencyText(int64_t scaled);
// A float as a property text: 15 significant digits, "1.5", "1E20".
std::string FloatPropertyText(long double value);

// Parses a whole text as a decimal float ("1.5", "-2E10"); empty when it is not one.
std::optional<long double> ParseFloat(std::string_view text);
// Parses a whole text as a currency amount, exactly for plain decimals;
// empty when it is not one or lies outside the currency range.
std::optional<int64_t> ParseCurrency(std::string_view text);
// Parses a whole text as a signed decimal integer of 64 bits; empty when it is not one.
std::optional<int64_t> ParseInteger(std::string_view text);
