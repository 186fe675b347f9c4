#include "script/ParameterFile.h"

#include "system/TextUtils.h"

namespace {

constexpr std::string_view kHexMarker = "$hex$";
constexpr char kDigits[] = "0123456789ABCDEF";

bool NeedsHex(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos || text.compare(0, kHexMarker.size(), kHexMarker) == 0;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The bytes of a marked line; the line as it is when the digits are not hex.
std::string FromHexLine(const std::string& line) {
    const std::string_view digits = std::string_view(line).substr(kHexMarker.size());
    if (digits.size() % 2 != 0) return line;
    std::string bytes;
    for (size_t i = 0; i < digits.size(); i += 2) {
        const int high = HexValue(digits[i]), low = HexValue(digits[i + 1]);
        if (high < 0 || low < 0) return line;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

}  // namespace

std::string EncodeParameterFile(const std::vector<std::string>& texts) {
    std::vector<std::string> lines;
    lines.reserve(texts.size());
    for (const std::string& text : texts) {
        if (!NeedsHex(text)) {
            lines.push_back(text);
            continue;
        }
        std::string line(kHexMarker);
        for (unsigned char c : text) {
            line += kDigits[c >> 4];
            line += kDigits[c & 15];
        }
        lines.push_back(std::move(line));
    }
    return JoinCrLf(lines);
}

std::vector<std::string> DecodeParameterFile(const std::string& file) {
    std::vector<std::string> texts = SplitLines(file);
    for (std::string& text : texts)
        if (text.compare(0, kHexMarker.size(), kHexMarker) == 0) text = FromHexLine(text);
    return texts;
}
