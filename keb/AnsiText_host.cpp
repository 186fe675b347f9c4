#include "keb/AnsiText.h"

#include <algorithm>
#include <iterator>

namespace keb {
namespace {
// Windows-1252 bytes 0x80..0x9F; 0 marks bytes the code page leaves undefined.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
}  // namespace

std::string Utf16ToAnsi(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        const auto* hit = std::find(std::begin(kHighControls), std::end(kHighControls), c);
        if (c != 0 && hit != std::end(kHighControls)) {
            out += static_cast<char>(0x80 + (hit - std::begin(kHighControls)));
            continue;
        }
        // A surrogate pair is one character and becomes one replacement.
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) ++i;
        out += '_';
    }
    return out;
}

std::u16string AnsiToUtf16(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (unsigned char b : text) {
        char16_t mapped = (b >= 0x80 && b < 0xA0) ? kHighControls[b - 0x80] : char16_t(b);
        out += mapped ? mapped : char16_t(b);
    }
    return out;
}

}  // namespace keb
