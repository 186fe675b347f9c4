#pragma once
#include <cstdint>
#include <filesystem>

// Gives a Windows Installer package (.msi or .msp) one time wherever its
// compiler wrote the clock or a source file's time: the summary's creation,
// last-printed and last-saved times and the dates of the files in its
// embedded cabinets. `seconds` counts from 1970, UTC.
void SetPackageTimes(const std::filesystem::path& package, std::int64_t seconds);

// Marks the package's source as not compressed (word count 0, long names):
// its files not flagged compressed are then found in the source folder's
// tree by their folders, not at its root. Files in the cabinet carry the
// compressed flag themselves.
void SetSourceUncompressed(const std::filesystem::path& package);
