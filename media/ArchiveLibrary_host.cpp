#include "media/ArchiveLibrary.h"

const ArchiveLibrary& LoadArchiveLibrary() {
    static const ArchiveLibrary library{&OpenListArchive, &ExtractArchive, &CloseListArchive, &GetLastArchiveError};
    return library;
}
