#include "keb/Archive.h"

#include <cstring>
#include <vector>

#include "keb/ArchiveError.h"
#include "keb/BuildProfile.h"
#include "keb/Crc32.h"
#include "keb/FolderDecoder.h"
#include "keb/HeaderParser.h"
#include "keb/HeaderReader.h"

namespace keb {
namespace {

constexpr uint8_t kSignature[6] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
constexpr uint64_t kStartHeaderSize = 32;
constexpr uint8_t kHeader = 0x01;
constexpr uint8_t kEncodedHeader = 0x17;
// Headers are small; anything larger is a hostile size, not a header.
constexpr uint64_t kMaxHeaderSize = uint64_t(1) << 30;
// An encoded header may itself be encoded; real archives use one level.
constexpr int kMaxHeaderLevels = 4;

// Unpacks the folder of an encoded header into memory, growing the buffer
// as data arrives so a false size cannot force a large allocation.
std::vector<uint8_t> DecodeHeaderFolder(const ArchiveFile& file, const ArchiveDatabase& streams,
                                        PasswordProvider& password) {
    const Folder& folder = streams.folders[0];
    uint64_t size = folder.UnpackSize();
    if (size > kMaxHeaderSize) ThrowCorrupt("header too large");
    FolderDecoder decoder(file, streams, 0, password);
    std::vector<uint8_t> data;
    size_t chunk = size_t(1) << 16;
    while (data.size() < size) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(chunk, size - data.size()));
        size_t at = data.size();
        data.resize(at + want);
        size_t got = ReadFully(decoder, data.data() + at, want);
        if (got != want) ThrowCorrupt("header data ends too early");
    }
    if (folder.unpackCrc && UpdateCrc32(0, data.data(), data.size()) != *folder.unpackCrc)
        ThrowCorrupt("header CRC mismatch");
    return data;
}

}  // namespace

Archive::Archive(const std::string& path, const FileWindow& window, PasswordProvider& password)
    : file_(path, window) {
    uint8_t start[kStartHeaderSize];
    if (file_.ReadAt(0, start, sizeof start) != sizeof start || std::memcmp(start, kSignature, 6) != 0)
        ThrowArchiveError(kKebErrorCannotOpen, "not a 7z archive");
    if (start[6] != 0) ThrowArchiveError(kKebErrorCannotOpen, "unsupported 7z version");
    HeaderReader r(start + 8, kStartHeaderSize - 8);
    uint32_t startCrc = r.UInt32();
    if (UpdateCrc32(0, start + 12, 20) != startCrc) ThrowCorrupt("start header CRC mismatch");
    uint64_t nextOffset = r.UInt64(), nextSize = r.UInt64();
    uint32_t nextCrc = r.UInt32();
    if (nextSize == 0) return;  // an archive without entries
    uint64_t available = file_.size() - kStartHeaderSize;
    if (nextOffset > available || nextSize > available - nextOffset) ThrowCorrupt("archive is truncated");
    if (nextSize > kMaxHeaderSize) ThrowCorrupt("header too large");
    std::vector<uint8_t> header(static_cast<size_t>(nextSize));
    if (file_.ReadAt(kStartHeaderSize + nextOffset, header.data(), header.size()) != header.size())
        ThrowCorrupt("archive is truncated");
    if (UpdateCrc32(0, header.data(), header.size()) != nextCrc) ThrowCorrupt("header CRC mismatch");

    for (int level = 0;; ++level) {
        if (header.empty()) ThrowCorrupt("empty header");
        uint8_t id = header[0];
        if (id == kHeader) {
            db_ = ParsePlainHeader(header.data() + 1, header.size() - 1, kStartHeaderSize);
            if (kEveryMethod) password.CheckKeyWork(db_);  // only AES needs keys
            return;
        }
        if (id != kEncodedHeader || level >= kMaxHeaderLevels) ThrowCorrupt("unknown header kind");
        ArchiveDatabase streams = ParseEncodedHeader(header.data() + 1, header.size() - 1, kStartHeaderSize);
        header = DecodeMaybeEncrypted(streams.folders[0].IsEncrypted(), "wrong password or corrupted encrypted header",
                                      [&] { return DecodeHeaderFolder(file_, streams, password); });
    }
}

}  // namespace keb
