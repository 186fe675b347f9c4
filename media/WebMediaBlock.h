#pragma once
// Web media blocks: named folders of installation data that a setup fetches
// only when a command needs them, from a 7z archive beside the setup, from a
// URL, or (the block "OFFLINE\") from offline media. A finished block holds
// an empty marker file named after the revision code and is never fetched
// again by the same revision of the setup.
#include <stdexcept>
#include <string>
#include <vector>

#include "core/MediaRetryQuestions.h"

// The block could not be provided or the user cancelled: the message is one
// of the engine's texts "Unable to download installation data from the web",
// "Unable to extract installation data downloaded from the web" or "Unable to
// copy installation data to local folders".
struct MediaFetchError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What the user may change between downloads, kept for the whole run: the
// proxy fields of the retry dialog and the resume choice. A run starts by
// resuming what an earlier run left.
struct DownloadSettings {
    ProxyFields proxy;
    bool resume = true;
};
DownloadSettings& CurrentDownloadSettings();

// Hash list in the support folder: "<sha256 hex>  <archive file name>"
// lines written by the authoring tool for the archives it built.
inline constexpr const char* kMediaHashListName = "webmedia.sha256";
// The expected hash of an archive by its file name (letter case ignored),
// lower-cased; empty when the list does not name it.
std::string ExpectedMediaHash(const std::string& hashList, const std::string& archiveFileName);

// Everything a fetch works from, gathered by the command that asks for the
// block. Folder texts end with a backslash.
struct MediaFetchRequest {
    std::string block;         // "Name\", or "OFFLINE\" for the offline media
    std::string url;           // where the block's archive is downloaded from
    std::string archivePath;   // where the download goes
    std::string dataFolder;    // the blocks' folders are made below it
    std::string sourceFolder;  // where a copy of the archive beside the setup is looked for
    std::string offlineSourceFolder;  // the offline media's files
    std::string revisionCode;  // the marker file's name
    bool removing = false;     // the product is being removed: nothing is fetched
    bool silent = false;       // nothing is asked: the first failure throws
    std::string tempFolder;    // extraction folders go below it
    std::string supportFolder; // holds the hash list
    std::string mediaPassword;
    std::vector<std::string> mediaFileMap;  // the payload's map (media/MediaFileMap)
    MediaRetryQuestions questions;
};

// Returns once the block's files are in place below the data folder; throws
// MediaFetchError otherwise.
void FetchMediaBlock(const MediaFetchRequest& request);

// Set while FetchMediaBlock runs.
bool MediaFetchInProgress();

// Archives beside the setup that failed to extract in this run (upper-cased
// full paths): not used again.
std::vector<std::string>& RejectedLocalCopies();
