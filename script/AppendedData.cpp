#include "script/AppendedData.h"

#include <algorithm>
#include <cstring>

#include "system/ReadOnlyFile.h"

namespace {

uint32_t Read32(const std::string& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

uint16_t Read16(const std::string& b, size_t at) {
    uint16_t v;
    std::memcpy(&v, b.data() + at, 2);
    return v;
}

// The security directory (the fifth data directory) of the optional header
// that lies between optional and end; it holds a file offset, not an address.
std::optional<AppendedData> CertificateTable(const std::string& b, uint64_t optional, uint64_t end) {
    if (optional + 2 > end) return std::nullopt;
    const uint16_t magic = Read16(b, optional);
    uint64_t countAt;
    if (magic == 0x10B) countAt = optional + 92;        // PE32
    else if (magic == 0x20B) countAt = optional + 108;  // PE32+
    else return std::nullopt;
    const uint64_t entry = countAt + 4 + 4 * 8;
    if (entry + 8 > end || Read32(b, countAt) < 5) return std::nullopt;
    const uint32_t offset = Read32(b, entry), size = Read32(b, entry + 4);
    if (offset == 0 || size == 0) return std::nullopt;
    return AppendedData{offset, size};
}

}  // namespace

std::optional<AppendedData> FindAppendedDataIn(const std::string& b, uint64_t fileSize) {
    if (b.size() < 64 || b[0] != 'M' || b[1] != 'Z') return std::nullopt;
    const uint64_t pe = Read32(b, 0x3C);
    const uint64_t fileHeader = pe + 4;
    if (fileHeader + 20 > b.size() || b.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return std::nullopt;
    const uint16_t sections = Read16(b, fileHeader + 2);
    // The optional header's size differs between PE32 (224) and PE32+ (240)
    // images, and other linkers may write more directories.
    const uint64_t optional = fileHeader + 20;
    const uint64_t table = optional + Read16(b, fileHeader + 16);
    if (table + uint64_t(sections) * 40 > b.size()) return std::nullopt;
    uint64_t imageEnd = 0;
    for (uint64_t i = 0; i < sections; ++i) {
        const uint64_t entry = table + i * 40;
        uint64_t end = uint64_t(Read32(b, entry + 16)) + Read32(b, entry + 20);
        if (end > imageEnd) imageEnd = end;
    }
    if (imageEnd > fileSize) return std::nullopt;
    // A signature's certificate table follows the appended data; it is not part of it.
    uint64_t dataEnd = fileSize;
    if (auto certificates = CertificateTable(b, optional, table))
        if (certificates->offset >= imageEnd && certificates->offset <= fileSize) dataEnd = certificates->offset;
    return AppendedData{imageEnd, dataEnd - imageEnd};
}

namespace {

std::optional<AppendedData> FindAppendedRegionOf(ReadOnlyFile& file) {
    const auto size = file.Size();
    if (!size) return std::nullopt;
    const auto headers = file.ReadAt(0, static_cast<size_t>(std::min<uint64_t>(*size, 65536)));
    if (!headers) return std::nullopt;
    return FindAppendedDataIn(*headers, *size);
}

std::optional<AppendedData> FindAppendedDataOf(ReadOnlyFile& file) {
    auto found = FindAppendedRegionOf(file);
    const auto size = file.Size();
    if (!found || found->offset + found->length == *size) return found;
    // Signing pads the file with up to seven zero bytes so that the
    // certificate table starts at a multiple of eight: no part of the data.
    const size_t tail = static_cast<size_t>(std::min<uint64_t>(found->length, 7));
    if (const auto bytes = file.ReadAt(found->offset + found->length - tail, tail))
        for (size_t i = tail; i > 0 && (*bytes)[i - 1] == '\0'; --i) --found->length;
    return found;
}

}  // namespace

std::optional<AppendedData> FindAppendedData(const std::string& path) {
    ReadOnlyFile file(path);
    return FindAppendedDataOf(file);
}

std::optional<AppendedData> FindAppendedRegion(const std::string& path) {
    ReadOnlyFile file(path);
    return FindAppendedRegionOf(file);
}

std::string ReadAppendedData(const std::string& path) {
    ReadOnlyFile file(path);
    auto where = FindAppendedDataOf(file);
    if (!where || where->length == 0) return {};
    return file.ReadAt(where->offset, static_cast<size_t>(where->length)).value_or(std::string());
}
