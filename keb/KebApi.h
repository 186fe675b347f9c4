#pragma once
// The four functions keb.dll exports, their callbacks and their error codes.
// Shared by the library and by the engine's front end (media/uSevenZipAPI).
// On Windows every function and callback uses the stdcall convention and the
// exports carry undecorated names.
#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define KEB_CALL __stdcall
#define KEB_EXPORT __declspec(dllexport)
#else
#define KEB_CALL
#define KEB_EXPORT
#endif

extern "C" {

// Error codes returned by GetLastArchiveError.
enum : uint32_t {
    kKebErrorNone = 0,
    kKebErrorNotFound = 1001,         // the archive file does not exist
    kKebErrorBadTargetName = 1002,    // a requested name is not in the archive
    kKebErrorCannotOpen = 1003,       // not a 7z archive, unsupported method, wrong password,
                                      // keys costing more than four at 7-Zip's highest cycle count
    kKebErrorCorrupt = 1004,          // CRC mismatch, truncated or malformed data
    kKebErrorUnsafeName = 1005,       // an entry would leave the destination
    kKebErrorWrite = 1006,            // a file or folder could not be written
    kKebErrorCancelled = 1007,        // a callback asked to stop
    kKebErrorBadArgument = 1008,      // null pointers or a bad handle
    kKebErrorOutOfMemory = 1009,
};

// Size of the buffer handed to the password callback, terminating zero included.
constexpr size_t kKebPasswordBufferSize = 1024;

// Answers of the overwrite callback.
enum : int32_t {
    kKebOverwriteCancel = 0,   // stop the extraction
    kKebOverwriteSkip = 1,     // keep the existing file
    kKebOverwriteYes = 2,      // replace this file
    kKebOverwriteAll = 4,      // replace this and every later file without asking
};

// Fills buffer (kKebPasswordBufferSize bytes) and returns 1, or returns 0 when
// no password is available. Asked at most once per call of the library.
typedef int32_t(KEB_CALL* KebPasswordCallback)(char* buffer);
// Called before each entry is written: return 1 to extract it, 0 to skip it.
typedef int32_t(KEB_CALL* KebEntryCallback)(const char* entryName, uint32_t attributes);
// Called for an entry whose target already exists: the existing file's path,
// size and modification time (FILETIME halves), then the same for the entry.
// Returns one of the kKebOverwrite answers.
typedef int32_t(KEB_CALL* KebOverwriteCallback)(const char* existingPath, uint32_t existingSizeLow,
                                                uint32_t existingSizeHigh, uint32_t existingTimeLow,
                                                uint32_t existingTimeHigh, const char* entryName,
                                                uint32_t entrySizeLow, uint32_t entrySizeHigh,
                                                uint32_t entryTimeLow, uint32_t entryTimeHigh);
// Progress of an extraction in bytes: return 1 to go on, 0 to stop. Also
// called every 65,536 rounds while a key is derived from the password (up to
// 2^24 rounds, one to a few seconds), with the counts unchanged, so that the
// derivation can be stopped too; before the headers are read the name is
// empty and both counts are 0.
typedef int32_t(KEB_CALL* KebProgressCallback)(const char* entryName, uint32_t doneLow, uint32_t doneHigh,
                                               uint32_t totalLow, uint32_t totalHigh);

// Entry flags.
constexpr uint32_t kKebEntryFolder = 1;
constexpr uint32_t kKebEntryHasCrc = 2;
constexpr uint32_t kKebEntryEncrypted = 4;
constexpr uint32_t kKebEntryHasTime = 8;

// One listed entry, 48 bytes on every platform; the name pointer comes first.
// Names are ANSI with "\" between folders.
struct KebEntryRecord {
    const char* name;
    uint32_t attributes;
    uint32_t flags;
    uint64_t size;
    uint64_t modificationTime;  // FILETIME: 100 ns units since 1601
    uint32_t crc;
    uint8_t reserved[48 - sizeof(const char*) - 32];
};
static_assert(sizeof(KebEntryRecord) == 48, "entry records are 48 bytes");

// Opens and lists an archive. flags and the three reserved values are 0.
// The password is used when not empty; otherwise the callback is asked.
// Returns a handle (0 on failure) that owns the records until
// CloseListArchive.
KEB_EXPORT uintptr_t KEB_CALL OpenListArchive(const char* archivePath, uint32_t flags, KebPasswordCallback passwordCallback,
                                   uint32_t reserved1, uint32_t reserved2, uint32_t reserved3,
                                   const char* password, const KebEntryRecord** entries, uint32_t* entryCount);
KEB_EXPORT void KEB_CALL CloseListArchive(uintptr_t handle);

// Extracts the named entries (names as listed, compared without letter case
// and with "/" taken for "\"; a name several entries share selects each of
// them; none when targetCount is 0) below destination, creating folders as
// needed.
// The archive is opened and its headers checked in every case. mode is 1. With
// withoutPaths set, files land directly in destination without their folders.
// An empty destination tests the archive without writing anything.
// Returns 1 on success, 0 on failure.
KEB_EXPORT int32_t KEB_CALL ExtractArchive(const char* archivePath, uint32_t mode, const char* destination,
                                const char* const* targets, uint32_t targetCount, uint32_t withoutPaths,
                                const char* password, KebPasswordCallback passwordCallback,
                                KebProgressCallback progressCallback, KebEntryCallback entryCallback,
                                KebOverwriteCallback overwriteCallback);

// Error code of the last failed call; reserved is 0.
KEB_EXPORT uint32_t KEB_CALL GetLastArchiveError(uint32_t reserved);
}
