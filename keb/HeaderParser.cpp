#include "keb/HeaderParser.h"

#include <algorithm>

#include "keb/AnsiText.h"
#include "keb/ArchiveError.h"
#include "keb/HeaderReader.h"

namespace keb {
namespace {

enum PropertyId : uint8_t {
    kEnd = 0x00,
    kArchiveProperties = 0x02,
    kAdditionalStreamsInfo = 0x03,
    kMainStreamsInfo = 0x04,
    kFilesInfo = 0x05,
    kPackInfo = 0x06,
    kUnpackInfo = 0x07,
    kSubStreamsInfo = 0x08,
    kSize = 0x09,
    kCrc = 0x0A,
    kFolder = 0x0B,
    kCodersUnpackSize = 0x0C,
    kNumUnpackStream = 0x0D,
    kEmptyStream = 0x0E,
    kEmptyFile = 0x0F,
    kAnti = 0x10,
    kName = 0x11,
    kMTime = 0x14,
    kWinAttributes = 0x15,
    kDummy = 0x19,
};

constexpr uint32_t kMaxCoders = 64;
constexpr uint32_t kMaxCoderStreams = 64;

// Sizes and checksums of the substreams (the files) of every folder.
struct Substreams {
    std::vector<uint64_t> sizes;
    std::vector<std::optional<uint32_t>> crcs;
};

class Parser {
public:
    Parser(const uint8_t* data, size_t size, uint64_t packBase) : r_(data, size), packBase_(packBase) {}

    ArchiveDatabase PlainHeader() {
        uint8_t id = r_.Byte();
        if (id == kArchiveProperties) {
            SkipArchiveProperties();
            id = r_.Byte();
        }
        if (id == kAdditionalStreamsInfo) ThrowUnsupported("additional streams");
        if (id == kMainStreamsInfo) {
            StreamsInfo();
            id = r_.Byte();
        } else {
            DefaultSubstreams();
        }
        if (id == kFilesInfo) {
            FilesInfo();
            id = r_.Byte();
        }
        if (id != kEnd) ThrowCorrupt("unexpected header property");
        return std::move(db_);
    }

    ArchiveDatabase EncodedHeader() {
        StreamsInfo();
        if (db_.folders.empty()) ThrowCorrupt("encoded header without data");
        return std::move(db_);
    }

private:
    [[noreturn]] static void ThrowUnsupported(const std::string& what) {
        ThrowArchiveError(kKebErrorCannotOpen, "unsupported archive feature: " + what);
    }

    void SkipArchiveProperties() {
        while (r_.Byte() != kEnd) r_.Skip(r_.Number());
    }

    // Checksums for `count` items; items without one stay empty.
    std::vector<std::optional<uint32_t>> Digests(size_t count) {
        auto defined = r_.DefinedBits(count);
        std::vector<std::optional<uint32_t>> crcs(count);
        for (size_t i = 0; i < count; ++i)
            if (defined[i]) crcs[i] = r_.UInt32();
        return crcs;
    }

    void StreamsInfo() {
        uint8_t id = r_.Byte();
        if (id == kPackInfo) {
            PackInfo();
            id = r_.Byte();
        }
        if (id == kUnpackInfo) {
            UnpackInfo();
            id = r_.Byte();
        }
        if (id == kSubStreamsInfo) {
            SubStreamsInfo();
            id = r_.Byte();
        } else {
            DefaultSubstreams();
        }
        if (id != kEnd) ThrowCorrupt("unexpected streams property");
    }

    void PackInfo() {
        uint64_t position = r_.Number();
        uint32_t count = r_.Count();
        db_.packStreams.resize(count);
        uint8_t id = r_.Byte();
        if (id == kSize) {
            uint64_t offset = packBase_ + position;
            if (offset < position) ThrowCorrupt("pack position overflows");
            for (auto& ps : db_.packStreams) {
                ps.offset = offset;
                ps.size = r_.Number();
                offset += ps.size;
                if (offset < ps.size) ThrowCorrupt("pack size overflows");
            }
            id = r_.Byte();
        }
        if (id == kCrc) {
            Digests(count);  // the folders' own checks cover the data
            id = r_.Byte();
        }
        if (id != kEnd) ThrowCorrupt("unexpected pack property");
    }

    Coder ReadCoder() {
        Coder c;
        uint8_t flags = r_.Byte();
        if (flags & 0x80) ThrowUnsupported("alternative coder methods");
        for (unsigned i = 0; i < (flags & 0x0Fu); ++i) c.methodId.push_back(r_.Byte());
        if (flags & 0x10) {
            uint64_t in = r_.Number(), out = r_.Number();
            if (in == 0 || out == 0 || in > kMaxCoderStreams || out > kMaxCoderStreams) ThrowCorrupt("bad coder streams");
            c.numInStreams = static_cast<uint32_t>(in);
            c.numOutStreams = static_cast<uint32_t>(out);
        }
        if (flags & 0x20) {
            uint64_t size = r_.Number();
            if (size > r_.Remaining()) ThrowCorrupt("coder properties end too early");
            c.properties.assign(r_.Position(), r_.Position() + size);
            r_.Skip(size);
        }
        return c;
    }

    Folder ReadFolder() {
        Folder f;
        uint64_t numCoders = r_.Number();
        if (numCoders == 0 || numCoders > kMaxCoders) ThrowCorrupt("bad coder count");
        uint32_t totalIn = 0, totalOut = 0;
        for (uint64_t i = 0; i < numCoders; ++i) {
            f.coders.push_back(ReadCoder());
            totalIn += f.coders.back().numInStreams;
            totalOut += f.coders.back().numOutStreams;
        }
        for (uint32_t i = 0; i + 1 < totalOut; ++i) {
            BindPair b{static_cast<uint32_t>(r_.Number()), static_cast<uint32_t>(r_.Number())};
            if (b.inIndex >= totalIn || b.outIndex >= totalOut) ThrowCorrupt("bad bind pair");
            for (const auto& other : f.bindPairs)
                if (other.inIndex == b.inIndex || other.outIndex == b.outIndex) ThrowCorrupt("bind pair reused");
            f.bindPairs.push_back(b);
        }
        if (totalIn < f.bindPairs.size() + 1) ThrowCorrupt("folder without packed stream");
        uint32_t numPacked = totalIn - static_cast<uint32_t>(f.bindPairs.size());
        auto isBound = [&](uint32_t in) {
            for (const auto& b : f.bindPairs)
                if (b.inIndex == in) return true;
            return false;
        };
        if (numPacked == 1) {
            for (uint32_t i = 0; i < totalIn; ++i)
                if (!isBound(i)) f.packedInStreams.push_back(i);
        } else {
            for (uint32_t i = 0; i < numPacked; ++i) {
                uint64_t in = r_.Number();
                if (in >= totalIn || isBound(static_cast<uint32_t>(in))) ThrowCorrupt("bad packed stream");
                f.packedInStreams.push_back(static_cast<uint32_t>(in));
            }
        }
        if (f.packedInStreams.size() != numPacked) ThrowCorrupt("bad packed streams");
        return f;
    }

    void UnpackInfo() {
        if (r_.Byte() != kFolder) ThrowCorrupt("folders expected");
        uint32_t count = r_.Count();
        if (r_.Byte() != 0) ThrowUnsupported("external folders");
        uint32_t nextPack = 0;
        for (uint32_t i = 0; i < count; ++i) {
            Folder f = ReadFolder();
            f.firstPackStream = nextPack;
            nextPack += static_cast<uint32_t>(f.packedInStreams.size());
            if (nextPack > db_.packStreams.size()) ThrowCorrupt("folders need more packed streams than stored");
            db_.folders.push_back(std::move(f));
        }
        if (r_.Byte() != kCodersUnpackSize) ThrowCorrupt("unpack sizes expected");
        for (auto& f : db_.folders) {
            uint32_t outs = 0;
            for (const auto& c : f.coders) outs += c.numOutStreams;
            for (uint32_t i = 0; i < outs; ++i) f.unpackSizes.push_back(r_.Number());
            f.MainOutStream();  // rejects folders whose outputs are all bound
        }
        uint8_t id = r_.Byte();
        if (id == kCrc) {
            auto crcs = Digests(db_.folders.size());
            for (size_t i = 0; i < crcs.size(); ++i) db_.folders[i].unpackCrc = crcs[i];
            id = r_.Byte();
        }
        if (id != kEnd) ThrowCorrupt("unexpected folder property");
    }

    // Without substream information every folder holds exactly one stream.
    void DefaultSubstreams() {
        sub_ = {};
        for (auto& f : db_.folders) {
            f.numSubstreams = 1;
            sub_.sizes.push_back(f.UnpackSize());
            sub_.crcs.push_back(f.unpackCrc);
        }
    }

    void SubStreamsInfo() {
        uint8_t id = r_.Byte();
        uint64_t total = db_.folders.size();
        if (id == kNumUnpackStream) {
            total = 0;
            for (auto& f : db_.folders) {
                f.numSubstreams = r_.Count();
                total += f.numSubstreams;
            }
            if (total > r_.Remaining() * 8 + db_.folders.size()) ThrowCorrupt("implausible stream count");
            id = r_.Byte();
        }
        sub_ = {};
        bool haveSizes = id == kSize;
        for (const auto& f : db_.folders) {
            if (f.numSubstreams == 0) continue;
            uint64_t sum = 0;
            for (uint32_t i = 0; i + 1 < f.numSubstreams; ++i) {
                if (!haveSizes) ThrowCorrupt("substream sizes missing");
                uint64_t size = r_.Number();
                sum += size;
                if (sum < size || sum > f.UnpackSize()) ThrowCorrupt("substreams exceed their folder");
                sub_.sizes.push_back(size);
            }
            sub_.sizes.push_back(f.UnpackSize() - sum);
        }
        if (haveSizes) id = r_.Byte();

        // Checksums are stored only for streams whose folder does not already give one.
        size_t unknown = 0;
        for (const auto& f : db_.folders)
            if (!(f.numSubstreams == 1 && f.unpackCrc)) unknown += f.numSubstreams;
        std::vector<std::optional<uint32_t>> stored;
        while (id != kEnd) {
            if (id == kCrc) stored = Digests(unknown);
            else r_.Skip(r_.Number());
            id = r_.Byte();
        }
        size_t next = 0;
        for (const auto& f : db_.folders) {
            if (f.numSubstreams == 1 && f.unpackCrc) {
                sub_.crcs.push_back(f.unpackCrc);
                continue;
            }
            for (uint32_t i = 0; i < f.numSubstreams; ++i, ++next)
                sub_.crcs.push_back(next < stored.size() ? stored[next] : std::nullopt);
        }
    }

    void ReadNames(std::vector<Entry>& entries, uint64_t size) {
        if (r_.Byte() != 0) ThrowUnsupported("external names");
        if (size == 0 || (size - 1) % 2 != 0 || size - 1 > r_.Remaining()) ThrowCorrupt("bad names");
        const uint8_t* p = r_.Position();
        const uint8_t* end = p + (size - 1);
        for (auto& e : entries) {
            std::u16string name;
            for (;;) {
                if (p >= end) ThrowCorrupt("names end too early");
                char16_t c = char16_t(p[0] | p[1] << 8);
                p += 2;
                if (c == 0) break;
                name += c == u'/' ? u'\\' : c;
            }
            e.name = Utf16ToAnsi(name);
        }
        r_.Skip(size - 1);
    }

    template <typename Assign>
    void ReadDefinedValues(size_t count, Assign assign) {
        auto defined = r_.DefinedBits(count);
        if (r_.Byte() != 0) ThrowUnsupported("external file properties");
        for (size_t i = 0; i < count; ++i)
            if (defined[i]) assign(i);
    }

    void FilesInfo() {
        uint32_t numFiles = r_.Count();
        std::vector<Entry> entries(numFiles);
        std::vector<bool> emptyStream(numFiles, false), emptyFile, anti;
        size_t numEmpty = 0;
        for (;;) {
            uint64_t type = r_.Number();
            if (type == kEnd) break;
            uint64_t size = r_.Number();
            if (size > r_.Remaining()) ThrowCorrupt("file property ends too early");
            const uint8_t* start = r_.Position();
            switch (type) {
                case kEmptyStream:
                    emptyStream = r_.Bits(numFiles);
                    numEmpty = static_cast<size_t>(std::count(emptyStream.begin(), emptyStream.end(), true));
                    break;
                case kEmptyFile: emptyFile = r_.Bits(numEmpty); break;
                case kAnti: anti = r_.Bits(numEmpty); break;
                case kName: ReadNames(entries, size); break;
                case kMTime:
                    ReadDefinedValues(numFiles, [&](size_t i) { entries[i].modificationTime = r_.UInt64(); });
                    break;
                case kWinAttributes:
                    ReadDefinedValues(numFiles, [&](size_t i) { entries[i].attributes = r_.UInt32(); });
                    break;
                default: r_.Skip(size); break;
            }
            // Every property occupies exactly its declared size.
            if (r_.Position() != start + size) ThrowCorrupt("file property has a wrong size");
        }

        size_t emptyIndex = 0, stream = 0;
        uint32_t folder = 0, inFolder = 0;
        for (size_t i = 0; i < numFiles; ++i) {
            Entry& e = entries[i];
            if (emptyStream[i]) {
                bool isEmptyFile = emptyIndex < emptyFile.size() && emptyFile[emptyIndex];
                e.isAnti = emptyIndex < anti.size() && anti[emptyIndex];
                e.isFolder = !isEmptyFile;
                ++emptyIndex;
                continue;
            }
            while (folder < db_.folders.size() && inFolder >= db_.folders[folder].numSubstreams) {
                ++folder;
                inFolder = 0;
            }
            if (folder >= db_.folders.size() || stream >= sub_.sizes.size()) ThrowCorrupt("more files than streams");
            e.hasStream = true;
            e.folderIndex = folder;
            e.size = sub_.sizes[stream];
            e.crc = sub_.crcs[stream];
            ++stream;
            ++inFolder;
        }
        if (stream != sub_.sizes.size()) ThrowCorrupt("streams without files");
        db_.entries = std::move(entries);
    }

    HeaderReader r_;
    uint64_t packBase_;
    ArchiveDatabase db_;
    Substreams sub_;
};

}  // namespace

ArchiveDatabase ParsePlainHeader(const uint8_t* data, size_t size, uint64_t packBase) {
    return Parser(data, size, packBase).PlainHeader();
}

ArchiveDatabase ParseEncodedHeader(const uint8_t* data, size_t size, uint64_t packBase) {
    return Parser(data, size, packBase).EncodedHeader();
}

}  // namespace keb
