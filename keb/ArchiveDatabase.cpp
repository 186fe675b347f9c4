#include "keb/ArchiveDatabase.h"

#include <algorithm>
#include <cstdio>

#include "keb/ArchiveError.h"

namespace keb {

uint32_t Folder::MainOutStream() const {
    uint32_t total = 0;
    for (const auto& c : coders) total += c.numOutStreams;
    for (uint32_t i = 0; i < total; ++i) {
        bool bound = std::any_of(bindPairs.begin(), bindPairs.end(), [&](const BindPair& b) { return b.outIndex == i; });
        if (!bound) return i;
    }
    ThrowCorrupt("folder without output");
}

bool Folder::IsEncrypted() const {
    return std::any_of(coders.begin(), coders.end(), [](const Coder& c) { return c.methodId == method::kAes; });
}

std::string MethodName(const std::vector<uint8_t>& id) {
    struct Known {
        const std::vector<uint8_t>* id;
        const char* name;
    };
    static const Known known[] = {{&method::kCopy, "Copy"},   {&method::kDelta, "Delta"}, {&method::kBcjX86, "BCJ"},
                                  {&method::kBcj2, "BCJ2"},   {&method::kLzma, "LZMA"},   {&method::kLzma2, "LZMA2"},
                                  {&method::kAes, "7zAES"}};
    for (const auto& k : known)
        if (*k.id == id) return k.name;
    static const struct {
        std::vector<uint8_t> id;
        const char* name;
    } others[] = {{{0x03, 0x04, 0x01}, "PPMd"}, {{0x04, 0x02, 0x02}, "BZip2"}, {{0x04, 0x01, 0x08}, "Deflate"},
                  {{0x04, 0x01, 0x09}, "Deflate64"}, {{0x0A}, "ARM64"}, {{0x03, 0x03, 0x05, 0x01}, "ARM"}};
    for (const auto& o : others)
        if (o.id == id) return o.name;
    std::string hex;
    char digits[3];
    for (uint8_t b : id) {
        std::snprintf(digits, sizeof digits, "%02X", b);
        hex += digits;
    }
    return hex.empty() ? "(empty)" : hex;
}

}  // namespace keb
