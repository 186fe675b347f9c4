#pragma once
#include <memory>
#include <optional>
#include <vector>

#include "keb/ArchiveDatabase.h"
#include "keb/ArchiveFile.h"
#include "keb/InStream.h"
#include "keb/PasswordProvider.h"

namespace keb {

// The unpacked bytes of one folder: builds the chain of coders from the
// folder's bind pairs and packed streams and reads its main output. With
// secondThread, an LZMA2 coder reading straight from the file decodes its
// independent blocks two at a time.
class FolderDecoder : public InStream {
public:
    FolderDecoder(const ArchiveFile& file, const ArchiveDatabase& db, uint32_t folderIndex, PasswordProvider& password,
                  bool secondThread = false);
    size_t Read(uint8_t* buffer, size_t size) override { return main_->Read(buffer, size); }

private:
    InStream& OutStream(uint32_t outIndex, unsigned depth);
    InStream& InStreamOf(uint32_t inIndex, unsigned depth);
    const BindPair* BindingOf(uint32_t inIndex) const;
    std::optional<size_t> PackIndexOf(uint32_t inIndex) const;
    // The packed stream an input reads directly, if it is not another coder's output.
    const PackStream* PackedInput(uint32_t inIndex) const;
    std::unique_ptr<InStream> CreateBlockCoder(const Coder& coder, uint32_t firstIn, uint64_t unpackSize) const;

    const ArchiveFile& file_;
    const ArchiveDatabase& db_;
    const Folder& folder_;
    PasswordProvider& password_;
    bool secondThread_;
    std::vector<std::unique_ptr<InStream>> streams_;  // owned in creation order
    InStream* main_ = nullptr;
};

}  // namespace keb
