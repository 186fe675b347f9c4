#include "tools/authoring/VersionResource.h"

#include <array>
#include <stdexcept>
#include <utility>
#include <vector>

#include "tools/authoring/LittleEndian.h"

namespace {

constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint32_t kFixedInfoVersion = 0x00010000;
constexpr uint32_t kFileFlagsMask = 0x3F;
constexpr uint32_t kWindowsNt32 = 0x00040004;  // VOS_NT_WINDOWS32
constexpr uint32_t kApplication = 1;           // VFT_APP
constexpr uint32_t kEnglishUnicode = 0x04B00409;  // language 0x0409, code page 1200
constexpr uint16_t kBinaryValue = 0, kTextValue = 1;

// Windows-1252 differs from Latin-1 in 0x80 to 0x9F.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string Utf16(const std::string& ansi) {
    std::string out;
    for (unsigned char c : ansi) AppendLE(out, c >= 0x80 && c < 0xA0 ? kWindows1252High[c - 0x80] : c, 2);
    AppendLE(out, 0, 2);
    return out;
}

// One block of the version tree: length, value length, type, key, value,
// children, each part 32-bit aligned. The length leaves out the padding
// after the last part.
struct Block {
    std::string key;
    std::string value;
    uint16_t valueLength = 0;  // in characters for texts, in bytes otherwise
    uint16_t type = kTextValue;
    std::vector<Block> children;

    std::string Bytes() const {
        std::string out(6, '\0');
        out += Utf16(key);
        if (!value.empty()) {
            PadTo(out, 4);
            out += value;
        }
        for (const Block& child : children) {
            PadTo(out, 4);
            out += child.Bytes();
        }
        WriteLE(out, 0, static_cast<uint32_t>(out.size()), 2);
        WriteLE(out, 2, valueLength, 2);
        WriteLE(out, 4, type, 2);
        return out;
    }
};

Block Text(const std::string& key, const std::string& value) {
    const std::string text = Utf16(value);
    return {key, text, static_cast<uint16_t>(text.size() / 2), kTextValue, {}};
}

std::array<uint16_t, 4> VersionNumbers(const std::string& version) {
    std::array<uint16_t, 4> numbers{};
    size_t part = 0, digits = 0;
    uint32_t value = 0;
    for (size_t i = 0; i <= version.size(); ++i) {
        if (i == version.size() || version[i] == '.') {
            if (digits == 0 || part == 4) break;
            numbers[part++] = static_cast<uint16_t>(value);
            if (i == version.size()) return numbers;
            value = 0;
            digits = 0;
        } else if (version[i] >= '0' && version[i] <= '9' && digits < 5) {
            value = value * 10 + (version[i] - '0');
            if (value > 0xFFFF) break;
            ++digits;
        } else {
            break;
        }
    }
    throw std::runtime_error("'" + version + "' is no version number (one to four numbers up to 65535 with dots)");
}

}  // namespace

std::string BuildVersionResource(const VersionTexts& texts) {
    const auto v = VersionNumbers(texts.productVersion);
    const uint32_t high = uint32_t(v[0]) << 16 | v[1], low = uint32_t(v[2]) << 16 | v[3];
    std::string fixed;
    for (uint32_t field : {kFixedInfoSignature, kFixedInfoVersion, high, low, high, low, kFileFlagsMask, 0u,
                           kWindowsNt32, kApplication, 0u, 0u, 0u})
        AppendLE(fixed, field, 4);
    std::string translation;
    AppendLE(translation, kEnglishUnicode & 0xFFFF, 2);
    AppendLE(translation, kEnglishUnicode >> 16, 2);

    Block strings{"040904B0", "", 0, kTextValue,
                  {Text("CompanyName", texts.companyName), Text("FileDescription", texts.fileDescription),
                   Text("FileVersion", texts.productVersion), Text("OriginalFilename", texts.originalFilename),
                   Text("ProductName", texts.productName), Text("ProductVersion", texts.productVersion)}};
    const Block root{"VS_VERSION_INFO", fixed, static_cast<uint16_t>(fixed.size()), kBinaryValue,
                     {Block{"StringFileInfo", "", 0, kTextValue, {strings}},
                      Block{"VarFileInfo", "", 0, kTextValue,
                            {Block{"Translation", translation, static_cast<uint16_t>(translation.size()), kBinaryValue, {}}}}}};
    return root.Bytes();
}
