#include "dialogs/FormNumbers.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr int kExtendedBias = 16383;

std::string Printf(const char* format, int precision, long double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, precision, value);
    return buffer;
}

// "1.5e+20" -> "1.5E20", "1e-07" -> "1E-7".
std::string PascalExponent(std::string text) {
    size_t e = text.find_first_of("eE");
    if (e == std::string::npos) return text;
    std::string mantissa = text.substr(0, e);
    std::string exponent = text.substr(e + 1);
    std::string sign;
    if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
        if (exponent[0] == '-') sign = "-";
        exponent.erase(0, 1);
    }
    exponent.erase(0, std::min(exponent.find_first_not_of('0'), exponent.size() - 1));
    return mantissa + "E" + sign + exponent;
}

// strtold/strtod read a locale's decimal point; the text form always has ".".
// Checked here so that a stray "," or blank never reads as a number.
bool LooksDecimal(std::string_view text) {
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
        size_t exponentDigits = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == text.size();
}

}  // namespace

Extended80 Extended80::FromLongDouble(long double value) {
    Extended80 result;
    uint16_t signAndExponent = std::signbit(value) ? 0x8000 : 0;
    uint64_t mantissa = 0;
    if (std::isnan(value)) {
        signAndExponent |= 0x7FFF;
        mantissa = 0xC000000000000000ull;
    } else if (std::isinf(value)) {
        signAndExponent |= 0x7FFF;
        mantissa = 0x8000000000000000ull;
    } else if (value != 0) {
        int exponent = 0;
        long double fraction = std::frexp(std::fabs(value), &exponent);  // |value| = fraction * 2^exponent
        int biased = exponent - 1 + kExtendedBias;
        if (biased > 0) {
            mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
            signAndExponent |= static_cast<uint16_t>(biased);
        } else {  // denormal: the integer bit is clear and the exponent field 0
            mantissa = static_cast<uint64_t>(std::ldexp(std::fabs(value), kExtendedBias - 1 + 63));
        }
    }
    for (int i = 0; i < 8; ++i) result.bytes[i] = static_cast<uint8_t>(mantissa >> (8 * i));
    result.bytes[8] = static_cast<uint8_t>(signAndExponent);
    result.bytes[9] = static_cast<uint8_t>(signAndExponent >> 8);
    return result;
}

long double Extended80::ToLongDouble() const {
    uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i) mantissa |= uint64_t(bytes[i]) << (8 * i);
    const bool negative = bytes[9] & 0x80;
    const int exponent = (bytes[9] & 0x7F) << 8 | bytes[8];
    long double magnitude;
    if (exponent == 0x7FFF) {
        magnitude = (mantissa << 1) == 0 ? std::numeric_limits<long double>::infinity()
                                         : std::numeric_limits<long double>::quiet_NaN();
    } else {
        // Exponent 0 is a denormal, which scales like exponent 1.
        magnitude = std::ldexp(static_cast<long double>(mantissa), std::max(exponent, 1) - kExtendedBias - 63);
    }
    return negative ? -magnitude : magnitude;
}

std::string ExtendedText(const Extended80& extended) {
    const long double value = extended.ToLongDouble();
    if (std::isnan(value)) return "Nan";
    if (std::isinf(value)) return value < 0 ? "-Inf" : "+Inf";
    // "%.20Le" gives "1.50000000000000000000e+00"; Pascal's exponent has four digits.
    std::string text = Printf("%.*Le", 20, value);
    const size_t e = text.find('e');
    std::string exponent = text.substr(e + 2);
    while (exponent.size() < 4) exponent.insert(0, "0");
    return text.substr(0, e) + "E" + text[e + 1] + exponent;
}

// The shortest %g text that reads back to the same float or double; the
// type's round-trip digits (9, 17) always do.
template <class Float, class Bits>
std::string ShortestText(Bits bits, int roundTripDigits, Float (*read)(const char*, char**)) {
    Float value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) return ExtendedText(Extended80::FromLongDouble(value));
    for (int precision = 1;; ++precision) {
        std::string text = Printf("%.*Lg", precision, value);
        if (read(text.c_str(), nullptr) == value || precision >= roundTripDigits) return PascalExponent(text);
    }
}

std::string SingleText(uint32_t bits) { return ShortestText<float>(bits, 9, std::strtof); }

std::string DoubleText(uint64_t bits) { return ShortestText<double>(bits, 17, std::strtod); }

std::string CurrencyText(int64_t scaled) {
    // Through unsigned arithmetic: the most negative amount has no positive twin.
    const uint64_t magnitude = scaled < 0 ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
    std::string text = (scaled < 0 ? "-" : "") + std::to_string(magnitude / 10000);
    std::string fraction = std::to_string(magnitude % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    return fraction.empty() ? text : text + "." + fraction;
}

std::string FloatPropertyText(long double value) {
    if (!std::isfinite(value)) return ExtendedText(Extended80::FromLongDouble(value));
    return PascalExponent(Printf("%.*Lg", 15, value));
}

std::optional<long double> ParseFloat(std::string_view text) {
    if (!LooksDecimal(text)) return std::nullopt;
    return std::strtold(std::string(text).c_str(), nullptr);
}

std::optional<int64_t> ParseCurrency(std::string_view text) {
    if (!LooksDecimal(text)) return std::nullopt;
    if (text.find_first_of("eE") != std::string_view::npos) {
        const long double amount = std::strtold(std::string(text).c_str(), nullptr) * 10000;
        if (!(std::fabs(amount) < 9223372036854775807.0L)) return std::nullopt;
        return std::llround(amount);
    }
    // Plain decimals exactly: the digits with four decimals, rounded half away from zero.
    const bool negative = text[0] == '-';
    if (text[0] == '-' || text[0] == '+') text.remove_prefix(1);
    const size_t dot = text.find('.');
    std::string digits(text.substr(0, dot));
    std::string decimals(dot == std::string_view::npos ? "" : text.substr(dot + 1));
    const bool roundUp = decimals.size() > 4 && decimals[4] >= '5';
    decimals.resize(4, '0');
    uint64_t magnitude = 0;
    for (char c : digits + decimals) {
        if (magnitude > (UINT64_MAX - 9) / 10) return std::nullopt;
        magnitude = magnitude * 10 + static_cast<uint64_t>(c - '0');
    }
    magnitude += roundUp;
    const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
    if (magnitude > limit) return std::nullopt;
    return negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
}

std::optional<int64_t> ParseInteger(std::string_view text) {
    int64_t value = 0;
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text[0] == '-') return std::nullopt;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}
