#pragma once
#include <string>
#include <vector>

#include "keb/Archive.h"
#include "keb/ExtractionProgress.h"
#include "keb/KebApi.h"

namespace keb {

struct ExtractRequest {
    std::vector<std::string> targets;  // entry names as listed
    std::string destination;           // empty: test only, nothing is written
    bool withoutPaths = false;         // files directly in destination
    KebEntryCallback entry = nullptr;
    KebOverwriteCallback overwrite = nullptr;  // null: replace existing files
    // Decoding threads: 0 is the number of cores, at most 2. Two decode two
    // folders at once, or the independent LZMA2 blocks of a single folder.
    // Encrypted archives use one. Callbacks always run on the caller's thread.
    unsigned threads = 0;
};

// Decodes the requested entries, checks every CRC and writes them below the
// destination, reporting to progress as data is decoded. The entry and
// overwrite questions are all asked first, in entry order: the overwrite
// question once per existing target, whose answer holds for every entry of
// that target; of entries sharing a target (names the file system takes for
// one) the last is written. So one and two threads ask and write the same. Entries with unsafe
// names are refused (nothing is written for them) and reported after the
// others; any other failure stops at once (on two threads: the first
// failure is thrown after both have stopped). Throws ArchiveError.
void ExtractEntries(const Archive& archive, PasswordProvider& password, ExtractionProgress& progress,
                    const ExtractRequest& request);

}  // namespace keb
