#include "keb/FolderDecoder.h"

#include "keb/ArchiveError.h"
#include "keb/BasicStreams.h"
#include "keb/CoderFactory.h"

namespace keb {

FolderDecoder::FolderDecoder(const ArchiveFile& file, const ArchiveDatabase& db, uint32_t folderIndex,
                             PasswordProvider& password)
    : file_(file), db_(db), folder_(db.folders.at(folderIndex)), password_(password) {
    main_ = &OutStream(folder_.MainOutStream(), 0);
}

InStream& FolderDecoder::OutStream(uint32_t outIndex, unsigned depth) {
    // Every coder feeds at most one other, so a chain longer than the coder
    // count is a cycle in a hostile header.
    if (depth > folder_.coders.size()) ThrowCorrupt("coder cycle");
    uint32_t firstOut = 0, firstIn = 0;
    for (const Coder& coder : folder_.coders) {
        if (outIndex < firstOut + coder.numOutStreams) {
            if (coder.numOutStreams != 1) throw ArchiveError(kKebErrorCannotOpen, "unsupported coder layout");
            std::vector<InStream*> inputs;
            for (uint32_t i = 0; i < coder.numInStreams; ++i) inputs.push_back(&InStreamOf(firstIn + i, depth + 1));
            streams_.push_back(CreateCoder(coder, inputs, folder_.unpackSizes.at(outIndex), password_));
            streams_.push_back(std::make_unique<ExactSizeStream>(*streams_.back(), folder_.unpackSizes.at(outIndex)));
            return *streams_.back();
        }
        firstOut += coder.numOutStreams;
        firstIn += coder.numInStreams;
    }
    ThrowCorrupt("bad coder output index");
}

InStream& FolderDecoder::InStreamOf(uint32_t inIndex, unsigned depth) {
    for (const BindPair& pair : folder_.bindPairs)
        if (pair.inIndex == inIndex) return OutStream(pair.outIndex, depth);
    for (size_t k = 0; k < folder_.packedInStreams.size(); ++k) {
        if (folder_.packedInStreams[k] != inIndex) continue;
        size_t packIndex = folder_.firstPackStream + k;
        if (packIndex >= db_.packStreams.size()) ThrowCorrupt("missing packed stream");
        const PackStream& ps = db_.packStreams[packIndex];
        streams_.push_back(std::make_unique<PackedStream>(file_, ps.offset, ps.size));
        return *streams_.back();
    }
    ThrowCorrupt("unconnected coder input");
}

}  // namespace keb
