#include "media/WebMediaBlock.h"

#include <algorithm>
#include <atomic>
#include <functional>

#include "core/EngineMessages.h"
#include "core/StartupValues.h"
#include "core/ProgressState.h"
#include "core/WorkerPolling.h"
#include "system/MessagePump.h"
#include "media/DownloadFile.h"
#include "media/DownloadProgress.h"
#include "media/MediaFileMap.h"
#include "media/MediaWorkers.h"
#include "core/VariableStore.h"
#include "system/Files.h"
#include "system/PathParts.h"
#include "system/ShellFolders.h"
#include "system/TextUtils.h"

namespace {

// Engine texts.
constexpr int kCopyingCaption = 11, kCopyFailed = 12, kDownloadingCaption = 13, kDownloadFailed = 14,
              kExtractingCaption = 15, kExtractFailed = 16;

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

[[noreturn]] void Fail(int text) { throw MediaFetchError(EngineText(text)); }

// Runs one worker while this thread shows its progress under the caption
// and passes the user's cancel request on. Returns whether the worker
// succeeded; the status tells whether the user cancelled.
bool RunWorker(const std::string& caption, MediaWorkerStatus& status,
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
        });
    return status.success;
}

std::string BlockCaption(int caption, const std::string& block) {
    std::string name = block;
    if (!name.empty() && name.back() == '\\') name.pop_back();
    return EngineText(caption) + name + "\r";
}

// The data folder: in the application-data caching mode it follows ALLUSERS
// and becomes the engine's current data folder.
std::string DataFolder() {
    StartupValues& startup = Startup();
    if (Project().MediaMode == 2) {
        startup.dataFolder =
            AppDataFolder(TextToBool(GetVariable("ALLUSERS"))) + GetVariable("REVISIONCODE") + "\\";
        return startup.dataFolder;
    }
    return WithBackslash(GetVariable("DATADIR"));
}

void DeleteTree(const std::string& folder) {
    for (int pass = 0; pass < 3; ++pass) DeleteFolderContents(folder);
    RemoveFolder(folder);
}

std::string FreshExtractionFolder() {
    const std::string temp = WithBackslash(Startup().tempFolder);
    for (unsigned n = 0; n < 10000; ++n) {
        const std::string folder = temp + "kebmedia" + std::to_string(n) + "\\";
        if (CreateNewFolder(folder) == NewFolderResult::Created) return folder;
    }
    throw MediaFetchError(EngineText(kExtractFailed));
}

std::string ExpectedHashOf(const std::string& archive) {
    const auto list = ReadFileText(WithBackslash(Startup().supportFolder) + kMediaHashListName);
    return list ? ExpectedMediaHash(*list, FileNameOf(archive)) : std::string();
}

void Download(const std::string& block, const std::string& url, const std::string& archivePath) {
    DownloadSettings& settings = CurrentDownloadSettings();
    while (true) {
        DownloadRequest request;
        request.url = url;
        request.destination = archivePath;
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
            return DownloadFile(request);
        };
        const bool downloaded = RunWorker(BlockCaption(kDownloadingCaption, block), status, download);
        if (status.cancel) Fail(kDownloadFailed);
        if (downloaded) return;
        if (Startup().silent) Fail(kDownloadFailed);
        if (SystemDownloadServiceInUse()) {
            const auto resume = AskRetryDownloadResume(settings.resume);
            if (!resume) Fail(kDownloadFailed);
            settings.resume = *resume;
        } else if (!AskRetryDownloadWithProxy(settings.proxy)) {
            Fail(kDownloadFailed);
        }
    }
}

// Downloads (unless a usable copy lies beside the setup) and extracts the
// block's archive. False when the user asked for a fresh copy: the caller
// starts over.
bool ProvideFromArchive(const std::string& block, const std::string& url, const std::string& archivePath,
                        const std::string& dataFolder) {
    const std::string sourceFolder =
        GetVariable("SFXPATH").empty() ? GetVariable("EXEDIR") : GetVariable("SFXPATH");
    const std::string local = WithBackslash(sourceFolder) + FileNameOf(archivePath);
    auto& rejected = RejectedLocalCopies();
    const bool useLocal =
        FileExists(local) && std::find(rejected.begin(), rejected.end(), UpperAscii(local)) == rejected.end();
    if (!useLocal) Download(block, url, archivePath);

    ExtractMediaRequest request;
    request.archive = useLocal ? local : archivePath;
    request.password = Startup().mediaPassword;
    request.destinationRoot = dataFolder;
    request.keepArchive = useLocal;
    request.fileMap = Project().MediaFileMap;
    request.expectedSha256 = ExpectedHashOf(request.archive);
    while (true) {
        request.extractionFolder = FreshExtractionFolder();
        MediaWorkerStatus status;
        const bool extracted = RunWorker(BlockCaption(kExtractingCaption, block), status,
                                         [&request](MediaWorkerStatus& s) { return ExtractMedia(request, s); });
        if (extracted && !status.cancel) return true;
        DeleteTree(dataFolder + block);
        if (Startup().silent || status.cancel) Fail(kExtractFailed);
        switch (AskRetryExtraction()) {
            case ExtractionRetry::Cancel: Fail(kExtractFailed);
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

void ProvideFromOfflineMedia(const std::string& block, const std::string& dataFolder) {
    MediaWorkerStatus status;
    const std::string source = Startup().mediaSourceFolder;
    const bool copied = RunWorker(EngineText(kCopyingCaption), status, [&](MediaWorkerStatus& s) {
        return CopyMedia(source, dataFolder, s);
    });
    if (status.cancel) Fail(kCopyFailed);
    if (!copied) {
        DeleteTree(dataFolder + block);
        Fail(kCopyFailed);
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

void FetchMediaBlock(const std::string& block, const std::string& url, const std::string& archivePath) {
    FetchingScope fetching;
    if (GetVariable("REMOVE") == "TRUE") return;
    const std::string dataFolder = DataFolder();
    const std::string folder = dataFolder + block;
    const std::string marker = WithBackslash(folder) + GetVariable("REVISIONCODE");
    // A link in place of the data or block folder would let someone else's
    // folder pass for the block (its marker included): it goes first.
    if (!CreateFoldersWithoutLinks(dataFolder, "")) Fail(kExtractFailed);
    if (IsLink(folder)) RemoveLink(folder);
    if (FolderExists(folder)) {
        if (FileExists(marker)) return;
        // An unfinished block from an earlier attempt: start it afresh.
        DeleteFolderContents(folder);
    }
    if (SameText(block, kOfflineBlock)) {
        ProvideFromOfflineMedia(block, dataFolder);
    } else {
        while (!ProvideFromArchive(block, url, archivePath, dataFolder)) {
        }
    }
    if (!CreateFoldersWithoutLinks(dataFolder, block) || !WriteFileText(marker, ""))
        Fail(SameText(block, kOfflineBlock) ? kCopyFailed : kExtractFailed);
}
