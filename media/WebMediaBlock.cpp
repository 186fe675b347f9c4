#include "media/WebMediaBlock.h"

#include <algorithm>
#include <atomic>
#include <functional>

#include "core/EngineMessages.h"
#include "core/ProgressState.h"
#include "core/WorkerPolling.h"
#include "system/MessagePump.h"
#include "media/DownloadFile.h"
#include "media/DownloadProgress.h"
#include "media/MediaFileMap.h"
#include "media/MediaWorkers.h"
#include "system/Files.h"
#include "system/PathParts.h"
#include "system/TextUtils.h"

namespace {

const char kOfflineBlock[] = "OFFLINE\\";

std::atomic<bool> gFetching{false};

class FetchingScope {
public:
    FetchingScope() : outer_(gFetching.exchange(true)) {}
    ~FetchingScope() { gFetching = outer_; }
    FetchingScope(const FetchingScope&) = delete;
    FetchingScope& operator=(const FetchingScope&) = delete;

private:
    bool outer_;
};

// The engine's text, then what a deployment tool's log needs to tell the
// failure apart: the block, where it came from and why.
[[noreturn]] void Fail(EngineMessage text, const MediaFetchRequest& fetch, const std::string& source,
                       const std::string& reason) {
    std::string block = fetch.block;
    if (!block.empty() && block.back() == '\\') block.pop_back();
    std::string message = EngineText(text) + " (block \"" + block + "\"";
    if (!source.empty()) message += ", " + source;
    message += ")";
    if (!reason.empty()) message += ": " + reason;
    throw MediaFetchError(message);
}

const char kCancelled[] = "cancelled";

// Runs one worker while this thread shows its progress under the caption
// and passes the user's cancel request on. Returns whether the worker
// succeeded; the status tells whether the user cancelled.
bool RunWorker(const MediaFetchRequest& fetch, const std::string& caption, MediaWorkerStatus& status,
               const std::function<bool(MediaWorkerStatus&)>& work) {
    status.done = false;
    status.success = false;
    status.cancel = false;
    status.Report(0, "");
    RunPolledWorker(
        [&status, &work] {
            bool succeeded = false;
            try {
                succeeded = work(status);
            } catch (...) {
                succeeded = false;
            }
            status.success = succeeded;
            status.done = true;
        },
        [&status, &caption] {
            SetProgress(caption + status.text(), 0, 100, status.percent());
            if (CancelState() == -1) status.cancel = true;
        },
        fetch.silent);
    return status.success;
}

std::string BlockCaption(EngineMessage caption, const std::string& block) {
    std::string name = block;
    if (!name.empty() && name.back() == '\\') name.pop_back();
    return EngineText(caption) + name + "\r";
}

void DeleteTree(const std::string& folder) {
    for (int pass = 0; pass < 3; ++pass) DeleteFolderContents(folder);
    RemoveFolder(folder);
}

std::string FreshExtractionFolder(const MediaFetchRequest& fetch) {
    const std::string temp = WithBackslash(fetch.tempFolder);
    for (unsigned n = 0; n < 10000; ++n) {
        const std::string folder = temp + "kebmedia" + std::to_string(n) + "\\";
        if (CreateNewFolder(folder) == NewFolderResult::Created) return folder;
    }
    Fail(EngineMessage::ExtractFailed, fetch, "", "no extraction folder can be made in " + temp);
}

std::string ExpectedHashOf(const std::string& supportFolder, const std::string& archive) {
    const auto list = ReadFileText(WithBackslash(supportFolder) + kMediaHashListName);
    return list ? ExpectedMediaHash(*list, FileNameOf(archive)) : std::string();
}

void Download(const MediaFetchRequest& fetch) {
    DownloadSettings& settings = CurrentDownloadSettings();
    while (true) {
        DownloadRequest request;
        request.url = fetch.url;
        request.destination = fetch.archivePath;
        request.proxyServer = settings.proxy.server;
        request.proxyPort = settings.proxy.port;
        request.proxyUser = settings.proxy.user;
        request.proxyPassword = settings.proxy.password;
        request.resume = settings.resume;
        MediaWorkerStatus status;
        const auto download = [&request](MediaWorkerStatus& s) {
            request.progress = [&s](int percent, const std::string& text) {
                // The waiting thread redraws on a new percentage; a wake per
                // received chunk would only fill its message queue.
                const bool changed = percent != s.percent();
                s.Report(percent, text);
                if (changed) WakeWaitingThread();
                return !s.cancel;
            };
            const std::string folder = FolderOf(request.destination);
            if (!folder.empty()) CreateFolderTree(folder);
            const DownloadResult result = DownloadFile(request);
            if (!result.complete) s.SetFailure(DownloadFailureReason(result.httpStatus));
            return result.complete;
        };
        const bool downloaded =
            RunWorker(fetch, BlockCaption(EngineMessage::DownloadingCaption, fetch.block), status, download);
        if (status.cancel) Fail(EngineMessage::DownloadFailed, fetch, fetch.url, kCancelled);
        if (downloaded) return;
        const std::string reason = status.failure();
        if (fetch.silent) Fail(EngineMessage::DownloadFailed, fetch, fetch.url, reason);
        if (SystemDownloadServiceInUse()) {
            const auto resume = fetch.questions.retryDownloadResume(settings.resume);
            if (!resume) Fail(EngineMessage::DownloadFailed, fetch, fetch.url, reason);
            settings.resume = *resume;
        } else if (!fetch.questions.retryDownloadWithProxy(settings.proxy)) {
            Fail(EngineMessage::DownloadFailed, fetch, fetch.url, reason);
        }
    }
}

// Downloads (unless a usable copy lies beside the setup) and extracts the
// block's archive. False when the user asked for a fresh copy: the caller
// starts over.
bool ProvideFromArchive(const MediaFetchRequest& fetch) {
    const std::string& block = fetch.block;
    const std::string& archivePath = fetch.archivePath;
    const std::string& dataFolder = fetch.dataFolder;
    const std::string local = WithBackslash(fetch.sourceFolder) + FileNameOf(archivePath);
    auto& rejected = RejectedLocalCopies();
    const bool useLocal =
        FileExists(local) && std::find(rejected.begin(), rejected.end(), UpperAscii(local)) == rejected.end();
    if (!useLocal) Download(fetch);

    ExtractMediaRequest request;
    request.archive = useLocal ? local : archivePath;
    request.password = fetch.mediaPassword;
    request.destinationRoot = dataFolder;
    request.keepArchive = useLocal;
    request.fileMap = fetch.mediaFileMap;
    request.expectedSha256 = ExpectedHashOf(fetch.supportFolder, request.archive);
    const std::string source = useLocal ? local : fetch.url;
    while (true) {
        request.extractionFolder = FreshExtractionFolder(fetch);
        MediaWorkerStatus status;
        const bool extracted = RunWorker(fetch, BlockCaption(EngineMessage::ExtractingCaption, block), status,
                                         [&request](MediaWorkerStatus& s) { return ExtractMedia(request, s); });
        if (extracted && !status.cancel) return true;
        DeleteTree(dataFolder + block);
        const std::string reason = status.cancel ? std::string(kCancelled) : status.failure();
        if (fetch.silent || status.cancel) Fail(EngineMessage::ExtractFailed, fetch, source, reason);
        switch (fetch.questions.retryExtraction()) {
            case ExtractionRetry::Cancel: Fail(EngineMessage::ExtractFailed, fetch, source, reason);
            case ExtractionRetry::ExtractAgain: continue;
            case ExtractionRetry::DownloadFresh:
                if (useLocal) {
                    rejected.push_back(UpperAscii(local));
                } else {
                    DeleteFileAt(archivePath);
                    DeleteFileAt(ValidatorPath(archivePath));
                }
                return false;
        }
    }
}

void ProvideFromOfflineMedia(const MediaFetchRequest& fetch) {
    MediaWorkerStatus status;
    const auto copy = [&fetch](MediaWorkerStatus& s) {
        return CopyMedia(fetch.offlineSourceFolder, fetch.dataFolder, s);
    };
    const bool copied = RunWorker(fetch, EngineText(EngineMessage::CopyingCaption), status, copy);
    if (status.cancel) Fail(EngineMessage::CopyFailed, fetch, fetch.offlineSourceFolder, kCancelled);
    if (!copied) {
        DeleteTree(fetch.dataFolder + fetch.block);
        Fail(EngineMessage::CopyFailed, fetch, fetch.offlineSourceFolder, status.failure());
    }
}

}  // namespace

DownloadSettings& CurrentDownloadSettings() {
    static DownloadSettings settings;
    return settings;
}

std::vector<std::string>& RejectedLocalCopies() {
    static std::vector<std::string> rejected;
    return rejected;
}

bool MediaFetchInProgress() { return gFetching; }

std::string ExpectedMediaHash(const std::string& hashList, const std::string& archiveFileName) {
    for (const std::string& line : SplitLines(hashList)) {
        const size_t blank = line.find(' ');
        if (blank != 64) continue;
        std::string name = TrimBlanks(line.substr(blank));
        if (!name.empty() && name[0] == '*') name.erase(0, 1);  // binary-mode mark of sha256sum
        if (SameText(name, archiveFileName)) return LowerAscii(line.substr(0, 64));
    }
    return {};
}

void FetchMediaBlock(const MediaFetchRequest& request) {
    FetchingScope fetching;
    if (request.removing) return;
    const std::string& block = request.block;
    const std::string& dataFolder = request.dataFolder;
    const std::string folder = dataFolder + block;
    const std::string marker = WithBackslash(folder) + request.revisionCode;
    // A link in place of the data or block folder would let someone else's
    // folder pass for the block (its marker included): it goes first.
    if (!CreateFoldersWithoutLinks(dataFolder, ""))
        Fail(EngineMessage::ExtractFailed, request, "", "the data folder " + dataFolder + " cannot be created");
    if (IsLink(folder)) RemoveLink(folder);
    if (FolderExists(folder)) {
        if (FileExists(marker)) return;
        // An unfinished block from an earlier attempt: start it afresh.
        DeleteFolderContents(folder);
    }
    if (SameText(block, kOfflineBlock)) {
        ProvideFromOfflineMedia(request);
    } else {
        while (!ProvideFromArchive(request)) {
        }
    }
    if (!CreateFoldersWithoutLinks(dataFolder, block) || !WriteFileText(marker, ""))
        Fail(SameText(block, kOfflineBlock) ? EngineMessage::CopyFailed : EngineMessage::ExtractFailed, request, "",
             "the marker " + marker + " cannot be written");
}
