#include "keb/MethodNames.h"

namespace keb {
namespace {

constexpr MethodId kPpmd{0x03, 0x04, 0x01};

struct NamedMethod {
    MethodId id;
    const char* name;
};

// The coders the library decodes, then the ones archives may hold that it
// does not (the names of 7-Zip and of the archivers that add codecs to it).
constexpr NamedMethod kNamedMethods[] = {
    {method::kCopy, "Copy"},   {method::kDelta, "Delta"},       {method::kBcjX86, "BCJ"},
    {method::kBcj2, "BCJ2"},   {method::kPowerPc, "PPC"},       {method::kIa64, "IA64"},
    {method::kArm, "ARM"},     {method::kArmThumb, "ARMT"},     {method::kSparc, "SPARC"},
    {method::kArm64, "ARM64"}, {method::kRiscV, "RISCV"},       {method::kSwap2, "Swap2"},
    {method::kSwap4, "Swap4"}, {method::kLzma, "LZMA"},         {method::kLzma2, "LZMA2"},
    {method::kAes, "7zAES"},   {kPpmd, "PPMD"},    {{0x04, 0x02, 0x02}, "BZip2"},
    {{0x04, 0x01, 0x08}, "Deflate"}, {{0x04, 0x01, 0x09}, "Deflate64"},
    {{0x04, 0xF7, 0x11, 0x01}, "ZStandard"}, {{0x04, 0xF7, 0x11, 0x02}, "Brotli"},
    {{0x04, 0xF7, 0x11, 0x04}, "LZ4"},       {{0x04, 0xF7, 0x11, 0x05}, "LZ5"},
    {{0x04, 0xF7, 0x11, 0x06}, "Lizard"},
};

uint32_t ReadLe32(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

// A size as 7-Zip writes it: the power of two's exponent, else in "m" or
// "k" where whole.
std::string SizeText(uint32_t size) {
    for (unsigned bit = 0; bit < 32; ++bit)
        if (size == uint32_t(1) << bit) return std::to_string(bit);
    if (size % (1u << 20) == 0) return std::to_string(size >> 20) + "m";
    if (size % (1u << 10) == 0) return std::to_string(size >> 10) + "k";
    return std::to_string(size);
}

std::string LzmaText(const std::vector<uint8_t>& p) {
    if (p.size() < 5) return "";
    unsigned lc = p[0] % 9, lp = p[0] / 9 % 5, pb = p[0] / 45;
    std::string text = ":" + SizeText(ReadLe32(p, 1));
    if (lc != 3) text += ":lc" + std::to_string(lc);
    if (lp != 0) text += ":lp" + std::to_string(lp);
    if (pb != 2) text += ":pb" + std::to_string(pb);
    return text;
}

std::string Lzma2Text(const std::vector<uint8_t>& p) {
    if (p.size() != 1 || p[0] > 40) return "";
    if (p[0] == 40) return ":" + SizeText(0xFFFFFFFF);
    return ":" + SizeText((2u | (p[0] & 1u)) << (p[0] / 2 + 11));
}

// What 7-Zip shows after the name: the parameters the properties hold.
std::string PropertiesText(const Coder& coder) {
    const auto& id = coder.methodId;
    const auto& p = coder.properties;
    if (id == method::kLzma) return LzmaText(p);
    if (id == method::kLzma2) return Lzma2Text(p);
    if (id == method::kDelta) return p.size() == 1 ? ":" + std::to_string(p[0] + 1) : "";
    if (id == method::kAes) return p.empty() ? "" : ":" + std::to_string(p[0] & 0x3F);
    if (id == kPpmd)
        return p.size() == 5 ? ":o" + std::to_string(p[0]) + ":mem" + SizeText(ReadLe32(p, 1)) : "";
    if (p.size() == 4 && id != method::kBcj2) return ":" + std::to_string(ReadLe32(p, 0));  // a start offset
    return "";
}

}  // namespace

std::string MethodName(const std::vector<uint8_t>& id) {
    for (const auto& m : kNamedMethods)
        if (m.id == id) return m.name;
    static const char kHex[] = "0123456789ABCDEF";
    std::string hex;
    for (uint8_t b : id) {
        hex += kHex[b >> 4];
        hex += kHex[b & 15];
    }
    return hex.empty() ? "(empty)" : hex;
}

std::string FolderMethods(const Folder& folder) {
    // 7-Zip lists the coders in the reverse of their stored order.
    std::string text;
    for (auto coder = folder.coders.rbegin(); coder != folder.coders.rend(); ++coder) {
        if (!text.empty()) text += ' ';
        text += MethodName(coder->methodId) + PropertiesText(*coder);
    }
    return text;
}

}  // namespace keb
