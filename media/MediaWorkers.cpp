#include "media/MediaWorkers.h"

#include <cstdio>
#include <stdexcept>

#include "core/EngineMessages.h"
#include "system/MessagePump.h"
#include "keb/Crypto.h"
#include "media/DownloadProgress.h"
#include "media/MediaFileMap.h"
#include "media/uSevenZipAPI.h"
#include "system/FileTree.h"
#include "system/Files.h"
#include "system/NativePath.h"
#include "system/PathParts.h"
#include "system/ReadOnlyFile.h"
#include "system/TextUtils.h"

namespace {

// The status the extraction's progress callback reports into: one
// extraction runs at a time.
std::atomic<MediaWorkerStatus*> gExtracting{nullptr};

std::string PercentStatus(const std::string& path, int percent) {
    return FileNameOf(path) + ", " + std::to_string(percent) + EngineText(EngineMessage::PercentComplete);
}

int32_t KEB_CALL MediaProgress(const char* entryName, uint32_t doneLow, uint32_t doneHigh, uint32_t totalLow,
                               uint32_t totalHigh) {
    try {
        MediaWorkerStatus* status = gExtracting;
        if (!status) return 1;
        const int64_t done = (static_cast<int64_t>(doneHigh) << 32) | doneLow;
        const int64_t total = (static_cast<int64_t>(totalHigh) << 32) | totalLow;
        const int percent = total > 0 ? TransferPercent(done, total, 0) : 1;
        const bool changed = percent != status->percent();
        status->Report(percent, PercentStatus(entryName ? entryName : "", percent));
        if (changed) WakeWaitingThread();
        return status->cancel ? 0 : 1;
    } catch (...) {
        return 0;
    }
}

class ExtractingScope {
public:
    explicit ExtractingScope(MediaWorkerStatus& status) { gExtracting = &status; }
    ~ExtractingScope() { gExtracting = nullptr; }
    ExtractingScope(const ExtractingScope&) = delete;
    ExtractingScope& operator=(const ExtractingScope&) = delete;
};

void DeleteTree(const std::string& folder) {
    // Three passes: a file another program still held a moment ago may go on a later one.
    for (int pass = 0; pass < 3; ++pass) DeleteFolderContents(folder);
    RemoveFolder(folder);
}

std::string WithoutExtension(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

void DeleteDownload(const std::string& archive) {
    DeleteFileAt(archive);
    DeleteFileAt(ValidatorPath(archive));
}

bool Extract(const ExtractMediaRequest& request, MediaWorkerStatus& status) {
    if (!request.expectedSha256.empty() && FileSha256(request.archive) != request.expectedSha256) {
        const std::string whose = request.keepArchive ? "the copy beside the setup" : "the server's copy";
        status.SetFailure(whose + " of " + FileNameOf(request.archive) +
                          " differs from the one this setup was built with (SHA-256 check)");
        if (!request.keepArchive) DeleteDownload(request.archive);
        return false;
    }
    if (!CreateFoldersWithoutLinks(request.destinationRoot, "")) {
        status.SetFailure("the data folder " + request.destinationRoot + " cannot be created");
        return false;
    }
    std::string error;
    ArchiveCallbacks callbacks;
    callbacks.progress = MediaProgress;
    {
        ExtractingScope scope(status);
        if (!ExtractArchiveFiles(request.archive, request.password, request.extractionFolder, callbacks, nullptr,
                                 error, true, true)) {
            status.SetFailure(FileNameOf(request.archive) + " cannot be extracted" + (error.empty() ? "" : ": " + error));
            return false;
        }
    }
    if (status.cancel) return false;
    if (!request.keepArchive) DeleteDownload(request.archive);
    const std::string base = WithoutExtension(FileNameOf(request.archive));
    if (!DistributeMediaFiles(
            MediaFileMoves(request.fileMap, base, request.extractionFolder, request.destinationRoot)))
        return false;
    return MoveTree(WithBackslash(request.extractionFolder) + base, WithBackslash(request.destinationRoot) + base);
}

}  // namespace

void MediaWorkerStatus::Report(int percent, const std::string& text) {
    std::lock_guard<std::mutex> guard(lock_);
    percent_ = percent;
    text_ = text;
}

int MediaWorkerStatus::percent() const {
    std::lock_guard<std::mutex> guard(lock_);
    return percent_;
}

std::string MediaWorkerStatus::text() const {
    std::lock_guard<std::mutex> guard(lock_);
    return text_;
}

void MediaWorkerStatus::SetFailure(const std::string& reason) {
    std::lock_guard<std::mutex> guard(lock_);
    failure_ = reason;
}

std::string MediaWorkerStatus::failure() const {
    std::lock_guard<std::mutex> guard(lock_);
    return failure_;
}

bool ExtractMedia(const ExtractMediaRequest& request, MediaWorkerStatus& status) {
    bool extracted = false;
    try {
        extracted = Extract(request, status);
    } catch (const std::exception&) {
        extracted = false;
    }
    DeleteTree(request.extractionFolder);
    return extracted;
}

bool MoveTree(const std::string& from, const std::string& to) {
    if (!FolderExists(from)) return true;
    const std::string source = WithBackslash(from), target = WithBackslash(to);
    for (const std::string& relative : FilesBelow(source)) {
        const std::string destination = target + relative;
        if (!CreateFoldersWithoutLinks(target, FolderOf(relative))) return false;
        SetNormalAttributes(destination);
        DeleteFileAt(destination);
        if (!MoveFolder(source + relative, destination)) return false;
    }
    DeleteTree(source);
    return true;
}

bool ExtractArchiveWithProgress(const std::string& archive, const std::string& password,
                                const std::string& destination, bool overwriteAll, bool extractFlag,
                                MediaWorkerStatus& status, std::string& errorText) {
    if (!CreateFoldersWithoutLinks(destination, "")) {
        errorText = "Unable to create the folder " + destination;
        return false;
    }
    ArchiveCallbacks callbacks;
    callbacks.progress = MediaProgress;
    ExtractingScope scope(status);
    return ExtractArchiveFiles(archive, password, destination, callbacks, nullptr, errorText, overwriteAll,
                               extractFlag);
}

bool CopyMedia(const std::string& sourceFolder, const std::string& destinationRoot, MediaWorkerStatus& status) {
    std::string source = WithBackslash(sourceFolder);
    if (!FolderExists(source + "offline")) source = FolderOf(source.substr(0, source.size() - 1));
    struct Placement {
        std::string from, relative;  // relative to the destination root
    };
    std::vector<Placement> files;
    const std::string root = WithBackslash(destinationRoot);
    for (const std::string& relative : FilesBelow(source + "offline\\"))
        files.push_back({source + "offline\\" + relative, "offline\\" + relative});
    for (const std::string& relative : FilesBelow(source + "mergemod\\"))
        files.push_back({source + "mergemod\\" + relative, relative});
    const size_t n = files.size();
    for (size_t i = 0; i < n; ++i) {
        const int percent = static_cast<int>(i * 100 / n + 1);
        status.Report(percent, PercentStatus(files[i].from, percent));
        WakeWaitingThread();
        if (status.cancel) return false;
        const std::string to = root + files[i].relative;
        if (!CreateFoldersWithoutLinks(root, FolderOf(files[i].relative))) return false;
        if (!FileExists(to)) {
            SetNormalAttributes(to);
            // Media that cannot give its files away (a disc) is copied from.
            if (!MoveFolder(files[i].from, to)) CopyFileOver(files[i].from, to);
        }
        if (!FileExists(to)) return false;
    }
    return true;
}

std::string FileSha256(const std::string& path) {
    ReadOnlyFile file(NativePath(path));
    const auto size = file.Size();
    if (!size) return {};
    keb::Sha256 hash;
    constexpr uint64_t kChunk = 1 << 16;
    for (uint64_t offset = 0; offset < *size; offset += kChunk) {
        const auto chunk = file.ReadAt(offset, static_cast<size_t>(*size - offset < kChunk ? *size - offset : kChunk));
        if (!chunk) return {};
        hash.Update(reinterpret_cast<const uint8_t*>(chunk->data()), chunk->size());
    }
    std::string hex;
    char digits[3];
    for (uint8_t byte : hash.Final()) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        hex += digits;
    }
    return hex;
}
