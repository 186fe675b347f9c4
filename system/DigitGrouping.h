#pragma once
#include <cstdint>
#include <string>

// Decimal digits with "," between groups of three: 1234567 gives "1,234,567".
std::string GroupDigits(uint64_t value);
