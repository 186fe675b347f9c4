#include "keb/Extractor.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "keb/ArchiveError.h"
#include "keb/CallerThreadGroup.h"
#include "keb/Crc32.h"
#include "keb/EntryPath.h"
#include "keb/EntrySelection.h"
#include "keb/FolderDecoder.h"
#include "keb/Halves.h"
#include "keb/OutputFiles.h"

namespace keb {
namespace {

constexpr size_t kCopyBuffer = size_t(1) << 18;
// How often the caller hears of progress while other threads decode.
constexpr unsigned kReportIntervalMs = 50;

// What the threads decoding folders share: the callbacks' thread, the bytes
// done and the entry last started.
struct SharedProgress {
    CallerThreadGroup group;
    std::atomic<uint64_t> done{0};
    std::atomic<size_t> entry{0};
};

// One thread's decoding state. Without shared progress it runs on the
// caller's thread and calls back directly.
struct Lane {
    explicit Lane(SharedProgress* sharedProgress = nullptr) : shared(sharedProgress) {}
    SharedProgress* shared;
    std::unique_ptr<FolderDecoder> decoder;
    uint32_t folder = 0;
    std::vector<uint8_t> buffer = std::vector<uint8_t>(kCopyBuffer);
    std::string lastFolder;  // the innermost folder made for the previous entry
    bool blocksOnSecondThread = false;  // alone: a folder's independent blocks may use a helper thread
};

class Extraction {
public:
    Extraction(const Archive& archive, PasswordProvider& password, ExtractionProgress& progress,
               const ExtractRequest& request)
        : archive_(archive), db_(archive.database()), password_(password), progress_(progress), request_(request) {}

    void Run() {
        SelectTargets();
        if (!request_.destination.empty() && !FindExisting(request_.destination)) CreateFolder(request_.destination);
        // A folder is decoded only as far as its last requested entry.
        std::vector<size_t> lastNeeded(db_.folders.size(), 0);
        std::vector<bool> needed(db_.folders.size(), false);
        for (size_t i = 0; i < db_.entries.size(); ++i) {
            const Entry& e = db_.entries[i];
            if (e.hasStream && selected_[i]) {
                needed[e.folderIndex] = true;
                lastNeeded[e.folderIndex] = i;
            }
        }
        std::vector<std::vector<size_t>> folderEntries(db_.folders.size());
        for (size_t i = 0; i < db_.entries.size(); ++i) {
            const Entry& e = db_.entries[i];
            if (e.hasStream && needed[e.folderIndex] && i <= lastNeeded[e.folderIndex])
                folderEntries[e.folderIndex].push_back(i);
        }
        unsigned threads = ThreadsFor(folderEntries);
        if (threads > 1) RunOnThreads(folderEntries, threads);
        else RunInOrder(folderEntries);
        if (!refused_.empty())
            throw ArchiveError(kKebErrorUnsafeName, "refused unsafe entry name: " + refused_);
    }

private:
    bool Wanted(size_t i) const { return selected_[i] && !db_.entries[i].isAnti; }

    // One thread where decoding may ask for a password: that callback and
    // its progress reports stay in order on the caller's thread.
    unsigned AllowedThreads(const std::vector<std::vector<size_t>>& folderEntries) const {
        for (size_t f = 0; f < folderEntries.size(); ++f)
            if (!folderEntries[f].empty() && db_.folders[f].IsEncrypted()) return 1;
        return request_.threads ? request_.threads : std::min(std::thread::hardware_concurrency(), 2u);
    }

    // Folders are decoded two at a time where there are several; a single
    // folder may still have independent blocks for a second thread.
    unsigned ThreadsFor(const std::vector<std::vector<size_t>>& folderEntries) const {
        size_t folders = std::count_if(folderEntries.begin(), folderEntries.end(),
                                       [](const std::vector<size_t>& entries) { return !entries.empty(); });
        return static_cast<unsigned>(std::min<size_t>(AllowedThreads(folderEntries), folders));
    }

    void RunInOrder(const std::vector<std::vector<size_t>>& folderEntries) {
        Lane lane;
        lane.blocksOnSecondThread = AllowedThreads(folderEntries) > 1;
        for (size_t i = 0; i < db_.entries.size(); ++i) {
            const Entry& e = db_.entries[i];
            if (e.hasStream && !std::binary_search(folderEntries[e.folderIndex].begin(),
                                                   folderEntries[e.folderIndex].end(), i))
                continue;
            progress_.SetEntry(e.name);
            if (e.hasStream) PositionAt(lane, e);
            if (Wanted(i)) ExtractOne(lane, e);
            else if (e.hasStream) Discard(lane, e.size);
        }
    }

    // Entries without data first, then the folders, each decoded whole by
    // one of the threads; this thread reports progress and runs the
    // callbacks the threads ask for.
    void RunOnThreads(const std::vector<std::vector<size_t>>& folderEntries, unsigned threadCount) {
        Lane here;
        for (size_t i = 0; i < db_.entries.size(); ++i) {
            if (db_.entries[i].hasStream || !Wanted(i)) continue;
            progress_.SetEntry(db_.entries[i].name);
            ExtractOne(here, db_.entries[i]);
        }
        std::vector<uint32_t> folders;
        for (size_t f = 0; f < folderEntries.size(); ++f)
            if (!folderEntries[f].empty()) folders.push_back(static_cast<uint32_t>(f));

        SharedProgress shared;
        shared.entry = folderEntries[folders.front()].front();
        uint64_t reported = 0;
        shared.group.Run(
            folders.size(), threadCount, kReportIntervalMs,
            [&](size_t k) {
                Lane lane(&shared);
                for (size_t i : folderEntries[folders[k]]) {
                    const Entry& e = db_.entries[i];
                    shared.entry = i;
                    PositionAt(lane, e);
                    if (Wanted(i)) ExtractOne(lane, e);
                    else Discard(lane, e.size);
                }
            },
            [&] {
                uint64_t done = shared.done;
                progress_.Advance(done - reported);
                reported = done;
                progress_.SetEntry(db_.entries[shared.entry].name);
                progress_.Report();
            });
    }

    void SelectTargets() {
        selected_ = SelectNamedEntries(db_.entries, request_.targets);
        uint64_t total = 0;
        for (size_t i = 0; i < db_.entries.size(); ++i)
            if (selected_[i]) total += db_.entries[i].size;
        progress_.SetTotal(total);
    }

    // Opens the entry's folder when the previous entries used another one.
    void PositionAt(Lane& lane, const Entry& e) {
        if (lane.decoder && e.folderIndex == lane.folder) return;
        lane.folder = e.folderIndex;
        lane.decoder.reset();  // one folder's window at a time
        lane.decoder =
            std::make_unique<FolderDecoder>(archive_.file(), db_, lane.folder, password_, lane.blocksOnSecondThread);
    }

    size_t ReadChunk(Lane& lane, size_t want) {
        if (lane.shared) lane.shared->group.ThrowIfStopping();
        try {
            size_t got = ReadFully(*lane.decoder, lane.buffer.data(), want);
            if (got != want) ThrowCorrupt("data ends before the file's size");
            return got;
        } catch (const ArchiveError& e) {
            if (e.code() == kKebErrorCorrupt && db_.folders[lane.folder].IsEncrypted())
                throw ArchiveError(kKebErrorCannotOpen, "wrong password or corrupted encrypted data");
            throw;
        }
    }

    void Discard(Lane& lane, uint64_t size) {
        while (size > 0) size -= ReadChunk(lane, static_cast<size_t>(std::min<uint64_t>(size, lane.buffer.size())));
    }

    // Runs one of the caller's callbacks on the caller's thread.
    template <typename Call>
    void OnCallerThread(Lane& lane, const Call& call) {
        if (lane.shared) lane.shared->group.Ask(std::function<void()>(call));
        else call();
    }

    // The caller hears of progress directly, or from the reporting thread.
    void Advance(Lane& lane, uint64_t bytes) {
        if (lane.shared) {
            lane.shared->done += bytes;
            return;
        }
        progress_.Advance(bytes);
        progress_.Report();
    }

    std::optional<std::string> TargetPath(Lane& lane, const Entry& e) {
        auto components = SafePathComponents(e.name);
        if (!components) return std::nullopt;
        if (components->empty()) {
            if (e.isFolder) return std::string();  // "." or "./": the destination itself
            components->push_back("_");  // a file cannot be the destination; 7zz names it so too
        }
        if (request_.withoutPaths) {
            if (e.isFolder) return std::string();
            return request_.destination + kPathSeparator + components->back();
        }
        return MakeParentFolders(lane, *components) + kPathSeparator + components->back();
    }

    // Creates the folders above an entry and returns the innermost. Entries
    // come grouped by folder, so the previous entry's folders are not made
    // again.
    std::string MakeParentFolders(Lane& lane, const std::vector<std::string>& components) {
        std::string folder = request_.destination;
        for (size_t i = 0; i + 1 < components.size(); ++i) folder += kPathSeparator + components[i];
        if (folder == lane.lastFolder) return folder;
        size_t end = request_.destination.size();
        for (size_t i = 0; i + 1 < components.size(); ++i) {
            end += 1 + components[i].size();
            CreateFolder(folder.substr(0, end));
        }
        lane.lastFolder = folder;
        return folder;
    }

    // Asks whether an existing file may be replaced; false keeps it.
    bool MayReplace(const std::string& path, const ExistingItem& existing, const Entry& e) {
        if (existing.isFolder) throw ArchiveError(kKebErrorWrite, "a folder is in the way of " + path);
        if (overwriteAll_ || !request_.overwrite) return true;
        uint64_t time = e.modificationTime.value_or(0);
        switch (request_.overwrite(path.c_str(), LowHalf(existing.size), HighHalf(existing.size),
                                   LowHalf(existing.modificationTime), HighHalf(existing.modificationTime),
                                   e.name.c_str(), LowHalf(e.size), HighHalf(e.size), LowHalf(time),
                                   HighHalf(time))) {
            case kKebOverwriteSkip: return false;
            case kKebOverwriteYes: return true;
            case kKebOverwriteAll: overwriteAll_ = true; return true;
            default: throw ArchiveError(kKebErrorCancelled, "extraction cancelled");
        }
    }

    void ExtractOne(Lane& lane, const Entry& e) {
        bool testOnly = request_.destination.empty();
        std::optional<std::string> path;
        if (!testOnly) {
            bool skip = false;
            if (request_.entry)
                OnCallerThread(lane, [&] { skip = request_.entry(e.name.c_str(), e.attributes.value_or(0)) == 0; });
            if (skip) {
                if (e.hasStream) Discard(lane, e.size);
                return;
            }
            path = TargetPath(lane, e);
            if (!path) {
                std::lock_guard<std::mutex> guard(refusedLock_);
                if (!refused_.empty()) refused_ += ", ";
                refused_ += e.name;
                if (e.hasStream) Discard(lane, e.size);
                return;
            }
            if (e.isFolder) {
                if (!path->empty()) CreateFolder(*path);
                return;
            }
            bool replace = true;
            if (auto existing = FindExisting(*path))
                OnCallerThread(lane, [&] { replace = MayReplace(*path, *existing, e); });
            if (!replace) {
                if (e.hasStream) Discard(lane, e.size);
                return;
            }
        }
        if (e.isFolder) return;

        std::unique_ptr<OutputFile> out = testOnly ? nullptr : std::make_unique<OutputFile>(*path);
        uint32_t crc = 0;
        for (uint64_t left = e.hasStream ? e.size : 0; left > 0;) {
            size_t n = ReadChunk(lane, static_cast<size_t>(std::min<uint64_t>(left, lane.buffer.size())));
            crc = UpdateCrc32(crc, lane.buffer.data(), n);
            if (out) out->Write(lane.buffer.data(), n);
            left -= n;
            Advance(lane, n);
        }
        if (e.crc && crc != *e.crc) {
            if (db_.folders.size() > e.folderIndex && db_.folders[e.folderIndex].IsEncrypted())
                throw ArchiveError(kKebErrorCannotOpen, "wrong password or corrupted encrypted data: " + e.name);
            ThrowCorrupt("CRC error in " + e.name);
        }
        if (out) out->Commit(e.modificationTime, e.attributes);
        if (!e.hasStream) progress_.Report();
    }

    const Archive& archive_;
    const ArchiveDatabase& db_;
    PasswordProvider& password_;
    ExtractionProgress& progress_;
    const ExtractRequest& request_;
    std::vector<bool> selected_;
    bool overwriteAll_ = false;
    std::mutex refusedLock_;
    std::string refused_;
};

}  // namespace

void ExtractEntries(const Archive& archive, PasswordProvider& password, ExtractionProgress& progress,
                    const ExtractRequest& request) {
    Extraction(archive, password, progress, request).Run();
}

}  // namespace keb
