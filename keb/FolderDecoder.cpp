#include "keb/FolderDecoder.h"

#include "keb/ArchiveError.h"
#include "keb/BasicStreams.h"
#include "keb/BuildProfile.h"
#include "keb/CoderFactory.h"
#include "keb/Lzma2Blocks.h"

namespace keb {

FolderDecoder::FolderDecoder(const ArchiveFile& file, const ArchiveDatabase& db, uint32_t folderIndex,
                             PasswordProvider& password, bool secondThread)
    : file_(file), db_(db), folder_(db.folders.at(folderIndex)), password_(password), secondThread_(secondThread) {
    main_ = &OutStream(folder_.MainOutStream(), 0);
}

InStream& FolderDecoder::OutStream(uint32_t outIndex, unsigned depth) {
    // Every coder feeds at most one other, so a chain longer than the coder
    // count is a cycle in a hostile header.
    if (depth > folder_.coders.size()) ThrowCorrupt("coder cycle");
    uint32_t firstOut = 0, firstIn = 0;
    for (const Coder& coder : folder_.coders) {
        if (outIndex < firstOut + coder.numOutStreams) {
            if (coder.numOutStreams != 1) ThrowArchiveError(kKebErrorCannotOpen, "unsupported coder layout");
            uint64_t unpackSize = folder_.unpackSizes.at(outIndex);
            std::unique_ptr<InStream> decoder = CreateBlockCoder(coder, firstIn, unpackSize);
            if (!decoder) {
                std::vector<InStream*> inputs;
                for (uint32_t i = 0; i < coder.numInStreams; ++i) inputs.push_back(&InStreamOf(firstIn + i, depth + 1));
                decoder = CreateCoder(coder, inputs, unpackSize, password_);
            }
            streams_.push_back(std::move(decoder));
            streams_.push_back(std::make_unique<ExactSizeStream>(*streams_.back(), unpackSize));
            return *streams_.back();
        }
        firstOut += coder.numOutStreams;
        firstIn += coder.numInStreams;
    }
    ThrowCorrupt("bad coder output index");
}

std::unique_ptr<InStream> FolderDecoder::CreateBlockCoder(const Coder& coder, uint32_t firstIn,
                                                          uint64_t unpackSize) const {
    if (kMostThreads == 1 || !secondThread_ || coder.methodId != method::kLzma2 || coder.numInStreams != 1) return nullptr;
    const PackStream* packed = PackedInput(firstIn);
    if (!packed) return nullptr;
    std::vector<Lzma2Block> blocks = FindLzma2Blocks(file_, *packed, unpackSize);
    if (blocks.empty()) return nullptr;
    return std::make_unique<Lzma2BlockStream>(file_, *packed, coder.properties, std::move(blocks));
}

const BindPair* FolderDecoder::BindingOf(uint32_t inIndex) const {
    for (const BindPair& pair : folder_.bindPairs)
        if (pair.inIndex == inIndex) return &pair;
    return nullptr;
}

std::optional<size_t> FolderDecoder::PackIndexOf(uint32_t inIndex) const {
    for (size_t k = 0; k < folder_.packedInStreams.size(); ++k)
        if (folder_.packedInStreams[k] == inIndex) return folder_.firstPackStream + k;
    return std::nullopt;
}

const PackStream* FolderDecoder::PackedInput(uint32_t inIndex) const {
    if (BindingOf(inIndex)) return nullptr;
    std::optional<size_t> packIndex = PackIndexOf(inIndex);
    return packIndex && *packIndex < db_.packStreams.size() ? &db_.packStreams[*packIndex] : nullptr;
}

InStream& FolderDecoder::InStreamOf(uint32_t inIndex, unsigned depth) {
    if (const BindPair* pair = BindingOf(inIndex)) return OutStream(pair->outIndex, depth);
    std::optional<size_t> packIndex = PackIndexOf(inIndex);
    if (!packIndex) ThrowCorrupt("unconnected coder input");
    if (*packIndex >= db_.packStreams.size()) ThrowCorrupt("missing packed stream");
    const PackStream& ps = db_.packStreams[*packIndex];
    streams_.push_back(std::make_unique<PackedStream>(file_, ps.offset, ps.size));
    return *streams_.back();
}

}  // namespace keb
