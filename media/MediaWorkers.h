#pragma once
// The workers of web media blocks: extraction with the media file map, the
// offline media copy, and what they share with the thread that waits for
// them. Each runs once on a worker thread; the waiting thread polls the
// status (and forwards the user's cancel request) until done is set.
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

class MediaWorkerStatus {
public:
    void Report(int percent, const std::string& text);
    int percent() const;
    std::string text() const;
    // Why the work failed, in words for the message that ends the run
    // (empty: no reason known). Set by the worker before done.
    void SetFailure(const std::string& reason);
    std::string failure() const;

    std::atomic<bool> done{false};
    std::atomic<bool> success{false};
    std::atomic<bool> cancel{false};

private:
    mutable std::mutex lock_;
    int percent_ = 0;
    std::string text_;
    std::string failure_;
};

struct ExtractMediaRequest {
    std::string archive;
    std::string password;
    std::string destinationRoot;        // the data folder
    std::string extractionFolder;       // a fresh, empty folder, removed afterwards
    bool keepArchive = false;           // a local copy beside the setup stays
    std::vector<std::string> fileMap;   // the payload's media file map
    std::string expectedSha256;         // lower-case hexadecimal; empty: not checked
};

// Checks the archive's hash, extracts it into the extraction folder, deletes
// it (unless kept), moves the files the map lists to their subfolders and
// the rest of the archive's tree (extraction folder + archive base name) to
// destination root + archive base name. False at the first failure or when
// the user cancels. A downloaded archive whose hash differs is deleted: it
// is not the one the setup was built with, and a resume would only extend it.
bool ExtractMedia(const ExtractMediaRequest& request, MediaWorkerStatus& status);

// Extracts the whole archive into the destination folder (created with its
// missing parents, links on the way removed), reporting the current file and
// percentage into status and passing its cancel request to the library.
// False with the archive front end's error text.
bool ExtractArchiveWithProgress(const std::string& archive, const std::string& password,
                                const std::string& destination, bool overwriteAll, bool extractFlag,
                                MediaWorkerStatus& status, std::string& errorText);

// Copies offline media: every file below source + "offline\" to destination
// root + "offline\" and every file below source + "mergemod\" to the
// destination root, both with their relative paths. A source without an
// "offline" folder is replaced by its parent. Files already at their
// destination stay; others are moved, or copied where they cannot be moved.
bool CopyMedia(const std::string& sourceFolder, const std::string& destinationRoot, MediaWorkerStatus& status);

// Moves every file below `from` to the same relative place below `to`,
// replacing what is there, then removes `from`. A missing `from` moves
// nothing. False at the first file that cannot be moved.
bool MoveTree(const std::string& from, const std::string& to);

// Lower-case hexadecimal SHA-256 of a file's bytes; empty when it cannot be read.
std::string FileSha256(const std::string& path);
