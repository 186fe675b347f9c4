#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "keb/ArchiveDatabase.h"

namespace keb {

// A method's name as 7-Zip gives it ("LZMA2", "ARM64", "PPMD"), or the id in
// hex when no archiver we know of names it.
std::string MethodName(const std::vector<uint8_t>& id);

// A folder's coders as 7-Zip lists them, each with the properties 7-Zip
// shows: "ARM64 LZMA2:24", "Delta:4 LZMA:3m:lc1", "LZMA:18 7zAES:19".
std::string FolderMethods(const Folder& folder);

}  // namespace keb
