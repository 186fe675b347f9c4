#pragma once
// Sizes and listings of files, beside the file service (system/Files.h).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Size of a file in bytes; nullopt when there is no such file.
std::optional<int64_t> FileSizeOf(const std::string& path);

// Paths, relative to the folder and with backslashes, of every file below it,
// subfolders included. Links are neither listed nor entered, so a listing
// never leads outside the folder.
std::vector<std::string> FilesBelow(const std::string& folder);
