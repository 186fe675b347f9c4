#pragma once
// uSevenZipAPI: the engine's archive front end: listing and extraction through keb.dll,
// the default callbacks and the texts for the library's error codes.
//
// Our own decoder needs no codec modules on disk, so the start-up step that
// wrote them and registered their folder ("InstallArchiveModules") does not
// exist: start-up goes straight to extracting the ".res" archive with
// ExtractArchiveFiles.
#include <cstdint>
#include <string>
#include <vector>

#include "keb/KebApi.h"

// Callbacks of one extraction; a null member takes the default below.
struct ArchiveCallbacks {
    KebPasswordCallback password = nullptr;
    KebEntryCallback second = nullptr;
    KebOverwriteCallback overwrite = nullptr;
    KebProgressCallback progress = nullptr;
};

// Lists the entry names of an archive. On failure returns false with the
// text for the library's code: "The archive file was not found",
// "Illegal path used in a wildcard expression", "The archive cannot be
// opened: unsupported archive or incorrect password" or "General failure
// opening archive".
bool ListArchive(const std::string& archive, const std::string& password, std::string& errorText,
                 std::vector<std::string>& names);

// The same with each entry's size, time and kind, for listings shown to people.
struct ArchiveListing {
    std::string name;
    uint64_t size;
    uint64_t modificationTime;  // FILETIME; 0 when the archive gives none
    bool isFolder;
};
bool ListArchive(const std::string& archive, const std::string& password, std::string& errorText,
                 std::vector<ArchiveListing>& entries);

// Extracts fileList (every entry when null) from archive into destination.
// overwriteAll answers the default overwrite callback; extractFlag keeps the
// entries' folders (when false, files land directly in destination).
// Returns false with errorText set: the listing text when listing failed,
// "#" + the library's code when extraction failed, or an exception's text.
//
// Start-up's ".res" extraction:
//   std::string error;
//   ExtractArchiveFiles(Startup().resourceArchive, "", Startup().supportFolder, {}, nullptr, error, true, true);
bool ExtractArchiveFiles(const std::string& archive, const std::string& password, const std::string& destination,
                         const ArchiveCallbacks& callbacks, const std::vector<std::string>* fileList,
                         std::string& errorText, bool overwriteAll, bool extractFlag);

// Arms the one-shot password slot read by DefaultPasswordCallback.
void ArmPasswordSlot(const std::string& password);

// The default callbacks.
// Hands the armed password over once (copied up to the buffer's size) and
// clears the slot; 0 when the slot is empty.
int32_t KEB_CALL DefaultPasswordCallback(char* buffer);
// Extracts every entry.
int32_t KEB_CALL DefaultSecondCallback(const char* entryName, uint32_t attributes);
// Overwrite all (4) when the overwrite-all flag is set, else keep the existing file (1).
int32_t KEB_CALL DefaultOverwriteCallback(const char*, uint32_t, uint32_t, uint32_t, uint32_t, const char*, uint32_t,
                                          uint32_t, uint32_t, uint32_t);
// Always goes on.
int32_t KEB_CALL DefaultProgressCallback(const char* entryName, uint32_t doneLow, uint32_t doneHigh, uint32_t totalLow,
                                         uint32_t totalHigh);
