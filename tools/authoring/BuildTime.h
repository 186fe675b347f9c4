#pragma once
#include <cstdint>
#include <filesystem>

// The one time a build writes wherever a format wants one (archive entries,
// the package's summary and cabinet), so that the same project gives the same
// bytes: SOURCE_DATE_EPOCH (seconds since 1970, UTC) when it is set, else
// 2000-01-01 00:00:00 UTC. Throws on a SOURCE_DATE_EPOCH that is not a number.
std::int64_t BuildTime();

// Gives every file and folder under `folder` (and the folder itself) the
// modification time `seconds` and the permissions 0644 (files) or 0755
// (folders), so that an archive made of it depends on its names and contents
// alone.
void StampTree(const std::filesystem::path& folder, std::int64_t seconds);

// 7zz's thread count for every archive a build makes: LZMA2 cuts its stream
// into blocks by the number of threads, so the machine's core count must not
// choose it.
inline constexpr const char* kArchiveThreads = "-mmt=2";
