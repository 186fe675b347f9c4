#include "tools/authoring/CompoundFile.h"

#include <stdexcept>

#include "tools/authoring/LittleEndian.h"

namespace {

const uint32_t kEndOfChain = 0xFFFFFFFE;
const size_t kEntrySize = 128;

[[noreturn]] void Malformed(const std::string& what) { throw std::runtime_error("malformed package file: " + what); }

uint32_t U32(const std::string& b, size_t at) { return ReadLE(b, at, 4); }
uint16_t U16(const std::string& b, size_t at) { return static_cast<uint16_t>(ReadLE(b, at, 2)); }

// The sectors of a chain, each once: a loop or a chain longer than the table ends the walk as malformed.
std::vector<uint32_t> Chain(const std::vector<uint32_t>& table, uint32_t first) {
    std::vector<uint32_t> sectors;
    for (uint32_t s = first; s != kEndOfChain; s = table[s]) {
        if (s >= table.size() || sectors.size() >= table.size()) Malformed("a broken sector chain");
        sectors.push_back(s);
    }
    return sectors;
}

// The runs of `length` bytes laid in units of `unit` bytes at the given unit offsets.
std::vector<std::pair<size_t, size_t>> Runs(const std::vector<size_t>& unitOffsets, size_t unit, size_t length) {
    if (length > unitOffsets.size() * unit) Malformed("a stream longer than its chain");
    std::vector<std::pair<size_t, size_t>> runs;
    for (size_t i = 0; i * unit < length; ++i) runs.emplace_back(unitOffsets[i], std::min(unit, length - i * unit));
    return runs;
}

}  // namespace

CompoundFile::CompoundFile(std::string& bytes) : bytes_(bytes) {
    const std::string signature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    if (bytes.compare(0, signature.size(), signature) != 0) Malformed("no compound file signature");
    const uint16_t sectorShift = U16(bytes, 0x1E), miniShift = U16(bytes, 0x20);
    if ((sectorShift != 9 && sectorShift != 12) || miniShift != 6) Malformed("unknown sector sizes");
    const size_t sectorSize = size_t(1) << sectorShift, miniSize = size_t(1) << miniShift;
    const size_t sectorCount = bytes.size() / sectorSize - 1;
    auto sectorOffset = [&](uint32_t s) {
        if (s >= sectorCount) Malformed("a sector past the end");
        return (size_t(s) + 1) * sectorSize;
    };

    // The allocation table, from the sector list in the header and its continuation sectors.
    std::vector<uint32_t> fatSectors;
    for (size_t i = 0; i < 109; ++i) fatSectors.push_back(U32(bytes, 0x4C + 4 * i));
    for (uint32_t s = U32(bytes, 0x44), n = 0; s < sectorCount && n < U32(bytes, 0x48); ++n) {
        const size_t at = sectorOffset(s);
        for (size_t i = 0; i + 1 < sectorSize / 4; ++i) fatSectors.push_back(U32(bytes, at + 4 * i));
        s = U32(bytes, at + sectorSize - 4);
    }
    const uint32_t fatCount = U32(bytes, 0x2C);
    if (fatCount > fatSectors.size()) Malformed("more table sectors than listed");
    std::vector<uint32_t> fat;
    for (uint32_t i = 0; i < fatCount; ++i) {
        const size_t at = sectorOffset(fatSectors[i]);
        for (size_t k = 0; k < sectorSize / 4; ++k) fat.push_back(U32(bytes, at + 4 * k));
    }
    auto sectorOffsets = [&](uint32_t first) {
        std::vector<size_t> offsets;
        for (uint32_t s : Chain(fat, first)) offsets.push_back(sectorOffset(s));
        return offsets;
    };

    std::string directory;
    for (size_t at : sectorOffsets(U32(bytes, 0x30))) directory.append(bytes, at, sectorSize);
    if (directory.size() < kEntrySize) Malformed("no root entry");
    // The root entry holds the mini stream, where every stream below the cutoff lies in 64-byte units.
    const auto ministream = Runs(sectorOffsets(U32(directory, 116)), sectorSize, U32(directory, 120));
    std::vector<size_t> miniOffsets;
    for (const auto& [at, length] : ministream)
        for (size_t k = 0; k + miniSize <= length; k += miniSize) miniOffsets.push_back(at + k);
    std::vector<uint32_t> minifat;
    for (size_t at : sectorOffsets(U32(bytes, 0x3C)))
        for (size_t k = 0; k < sectorSize / 4; ++k) minifat.push_back(U32(bytes, at + 4 * k));
    const uint32_t cutoff = U32(bytes, 0x38);

    for (size_t e = kEntrySize; e + kEntrySize <= directory.size(); e += kEntrySize) {
        if (directory[e + 66] != 2) continue;  // storages, the root and unused entries
        Stream stream;
        const size_t nameBytes = std::min<size_t>(U16(directory, e + 64), 64);
        for (size_t k = 0; k + 3 < nameBytes; k += 2) {  // without the closing zero
            const uint16_t c = U16(directory, e + k);
            stream.name += c < 0x80 ? char(c) : '?';
        }
        const uint32_t first = U32(directory, e + 116), size = U32(directory, e + 120);
        if (size < cutoff) {
            std::vector<size_t> offsets;
            if (size > 0)
                for (uint32_t m : Chain(minifat, first)) {
                    if (m >= miniOffsets.size()) Malformed("a unit past the mini stream");
                    offsets.push_back(miniOffsets[m]);
                }
            stream.runs = Runs(offsets, miniSize, size);
        } else {
            stream.runs = Runs(sectorOffsets(first), sectorSize, size);
        }
        streams_.push_back(std::move(stream));
    }
}

std::string CompoundFile::Read(const Stream& stream, size_t limit) const {
    std::string content;
    for (const auto& [at, length] : stream.runs) {
        if (content.size() >= limit) break;
        content.append(bytes_, at, std::min(length, limit - content.size()));
    }
    return content;
}

void CompoundFile::Write(const Stream& stream, size_t offset, const std::string& data) {
    size_t done = 0, runStart = 0;
    for (const auto& [at, length] : stream.runs) {
        for (; done < data.size() && offset + done < runStart + length; ++done)
            bytes_[at + (offset + done - runStart)] = data[done];
        runStart += length;
    }
    if (done < data.size()) throw std::logic_error("a write past the end of a stream");
}
