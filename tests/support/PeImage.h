#pragma once
// Minimal portable-executable images for the tests of the appended-data
// search and of the resource writer: DOS header, PE signature at 0x80, file header, a PE32 or PE32+
// optional header with sixteen data directories, and the section table.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct PeSection {
    uint32_t pointer;  // file offset of the raw data
    uint32_t size;     // raw data size
};

constexpr uint32_t kPeSignatureOffset = 0x80;

inline bool IsPe32Plus(const std::string& image) {
    return image[kPeSignatureOffset + 24] == 0x0B && image[kPeSignatureOffset + 25] == 0x02;
}

inline std::string PeImage(const std::vector<PeSection>& sections, bool pe32Plus = false, size_t fileSize = 0x400) {
    std::string b(fileSize, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    const uint32_t pe = kPeSignatureOffset, directories = 16;
    std::memcpy(&b[0x3C], &pe, 4);
    std::memcpy(&b[pe], "PE\0\0", 4);
    const uint16_t count = static_cast<uint16_t>(sections.size());
    const uint16_t optionalSize = pe32Plus ? 240 : 224, magic = pe32Plus ? 0x20B : 0x10B;
    std::memcpy(&b[pe + 4 + 2], &count, 2);
    std::memcpy(&b[pe + 4 + 16], &optionalSize, 2);
    std::memcpy(&b[pe + 24], &magic, 2);
    std::memcpy(&b[pe + 24 + (pe32Plus ? 108 : 92)], &directories, 4);
    // Alignments and addresses as a linker writes them: section i at 0x1000 * (i + 1).
    const uint32_t sectionAlignment = 0x1000, fileAlignment = 0x200, headersSize = 0x200;
    std::memcpy(&b[pe + 24 + 32], &sectionAlignment, 4);
    std::memcpy(&b[pe + 24 + 36], &fileAlignment, 4);
    std::memcpy(&b[pe + 24 + 60], &headersSize, 4);
    for (size_t i = 0; i < sections.size(); ++i) {
        const size_t entry = pe + 24 + optionalSize + i * 40;
        const uint32_t address = static_cast<uint32_t>(0x1000 * (i + 1));
        std::memcpy(&b[entry + 8], &sections[i].size, 4);
        std::memcpy(&b[entry + 12], &address, 4);
        std::memcpy(&b[entry + 16], &sections[i].size, 4);
        std::memcpy(&b[entry + 20], &sections[i].pointer, 4);
    }
    return b;
}

// Points the security directory at a certificate table (a file offset).
inline void SetCertificateTable(std::string& image, uint32_t offset, uint32_t size) {
    const size_t entry = kPeSignatureOffset + 24 + (IsPe32Plus(image) ? 112 : 96) + 4 * 8;
    std::memcpy(&image[entry], &offset, 4);
    std::memcpy(&image[entry + 4], &size, 4);
}
