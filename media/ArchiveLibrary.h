#pragma once
#include "keb/KebApi.h"

// The four functions of the archive library. On Windows they come from
// keb.dll, loaded once by full path from the engine's folder; on the host they
// are the linked library itself.
struct ArchiveLibrary {
    decltype(&OpenListArchive) openListArchive;
    decltype(&ExtractArchive) extractArchive;
    decltype(&CloseListArchive) closeListArchive;
    decltype(&GetLastArchiveError) getLastArchiveError;
};

// Throws std::runtime_error when the library cannot be loaded.
const ArchiveLibrary& LoadArchiveLibrary();
