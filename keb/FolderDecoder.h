#pragma once
#include <memory>
#include <vector>

#include "keb/ArchiveDatabase.h"
#include "keb/ArchiveFile.h"
#include "keb/InStream.h"
#include "keb/PasswordProvider.h"

namespace keb {

// The unpacked bytes of one folder: builds the chain of coders from the
// folder's bind pairs and packed streams and reads its main output.
class FolderDecoder : public InStream {
public:
    FolderDecoder(const ArchiveFile& file, const ArchiveDatabase& db, uint32_t folderIndex, PasswordProvider& password);
    size_t Read(uint8_t* buffer, size_t size) override { return main_->Read(buffer, size); }

private:
    InStream& OutStream(uint32_t outIndex, unsigned depth);
    InStream& InStreamOf(uint32_t inIndex, unsigned depth);

    const ArchiveFile& file_;
    const ArchiveDatabase& db_;
    const Folder& folder_;
    PasswordProvider& password_;
    std::vector<std::unique_ptr<InStream>> streams_;  // owned in creation order
    InStream* main_ = nullptr;
};

}  // namespace keb
