#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace keb {

// One coder of a folder, as stored: method id, stream counts and properties.
// In-streams are on the packed side, out-streams on the unpacked side.
struct Coder {
    std::vector<uint8_t> methodId;
    uint32_t numInStreams = 1;
    uint32_t numOutStreams = 1;
    std::vector<uint8_t> properties;
};

// Connects the in-stream inIndex of one coder to the out-stream outIndex of another.
struct BindPair {
    uint32_t inIndex = 0;
    uint32_t outIndex = 0;
};

// A solid block: coders wired by bind pairs, fed by packed streams.
struct Folder {
    std::vector<Coder> coders;
    std::vector<BindPair> bindPairs;
    std::vector<uint32_t> packedInStreams;  // folder in-stream index of each packed stream
    std::vector<uint64_t> unpackSizes;      // one per out-stream of the folder
    std::optional<uint32_t> unpackCrc;
    uint32_t firstPackStream = 0;           // index into ArchiveDatabase::packStreams
    uint32_t numSubstreams = 1;

    uint32_t MainOutStream() const;  // the out-stream no bind pair consumes
    uint64_t UnpackSize() const { return unpackSizes.at(MainOutStream()); }
    bool IsEncrypted() const;
};

struct PackStream {
    uint64_t offset = 0;  // absolute position in the archive file
    uint64_t size = 0;
};

// One file or folder of the archive.
struct Entry {
    std::string name;            // ANSI, "\" between folders
    bool hasStream = false;      // its data lies in a folder
    bool isFolder = false;
    bool isAnti = false;         // a deletion marker of an update; never extracted
    uint64_t size = 0;
    std::optional<uint32_t> crc;
    std::optional<uint32_t> attributes;
    std::optional<uint64_t> modificationTime;  // FILETIME
    uint32_t folderIndex = 0;    // valid when hasStream
};

struct ArchiveDatabase {
    std::vector<PackStream> packStreams;
    std::vector<Folder> folders;
    std::vector<Entry> entries;
};

// A method id as stored in the archive (7-Zip writes at most 15 bytes):
// constant data without construction at start-up, compared with the ids a
// header holds.
struct MethodId {
    uint8_t size = 0;
    std::array<uint8_t, 15> bytes{};
    constexpr MethodId(std::initializer_list<uint8_t> id) {
        for (uint8_t b : id) bytes[size++] = b;
    }
};

inline bool operator==(const std::vector<uint8_t>& id, const MethodId& known) {
    return id.size() == known.size && std::equal(id.begin(), id.end(), known.bytes.begin());
}

// Method ids as stored in the archive.
namespace method {
inline constexpr MethodId kCopy{0x00};
inline constexpr MethodId kDelta{0x03};
inline constexpr MethodId kBcjX86{0x03, 0x03, 0x01, 0x03};
inline constexpr MethodId kBcj2{0x03, 0x03, 0x01, 0x1B};
inline constexpr MethodId kPowerPc{0x03, 0x03, 0x02, 0x05};
inline constexpr MethodId kIa64{0x03, 0x03, 0x04, 0x01};
inline constexpr MethodId kArm{0x03, 0x03, 0x05, 0x01};
inline constexpr MethodId kArmThumb{0x03, 0x03, 0x07, 0x01};
inline constexpr MethodId kSparc{0x03, 0x03, 0x08, 0x05};
inline constexpr MethodId kArm64{0x0A};
inline constexpr MethodId kRiscV{0x0B};
inline constexpr MethodId kSwap2{0x02, 0x03, 0x02};
inline constexpr MethodId kSwap4{0x02, 0x03, 0x04};
inline constexpr MethodId kLzma{0x03, 0x01, 0x01};
inline constexpr MethodId kLzma2{0x21};
inline constexpr MethodId kAes{0x06, 0xF1, 0x07, 0x01};
}  // namespace method

}  // namespace keb
