#include "keb/Extractor.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>

#include "keb/ArchiveError.h"
#include "keb/BuildProfile.h"
#include "keb/CallerThreadGroup.h"
#include "keb/CoderFactory.h"
#include "keb/Crc32.h"
#include "keb/EntryPath.h"
#include "keb/EntrySelection.h"
#include "keb/FolderDecoder.h"
#include "keb/Halves.h"
#include "keb/MethodNames.h"
#include "keb/OutputFiles.h"
#include "keb/ScratchFolder.h"
#include "keb/TargetClaims.h"

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

// What becomes of a requested entry, decided for every entry in entry order
// before anything is written, so that one and two threads ask the same
// questions in the same order and write the same files.
enum class Action : uint8_t {
    kSkip,        // data passed over: not requested, declined, refused or kept
    kCheck,       // decoded and checked only: testing, or a later entry writes its file
    kWrite,       // decoded into path
    kMakeFolder,  // the folder at path
};

struct PlannedEntry {
    Action action = Action::kSkip;
    std::string path;
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
        std::optional<ScratchFolder> scratch;  // outlives the threads writing into it
        Plan(scratch);
        scratch_ = scratch ? &*scratch : nullptr;
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
        std::string undecodable = SetAsideUndecodable(folderEntries);
        unsigned threads = ThreadsFor(folderEntries);
        if (kMostThreads > 1 && threads > 1) RunOnThreads(folderEntries, threads);
        else RunInOrder(folderEntries);
        if (!refused_.empty())
            ThrowArchiveError(kKebErrorUnsafeName, "refused unsafe entry name: " + refused_);
        if (!undecodable.empty()) ThrowArchiveError(kKebErrorCannotOpen, undecodable);
    }

private:
    bool Wanted(size_t i) const { return selected_[i] && !db_.entries[i].isAnti; }

    // A folder with a method the library lacks is not opened, so nothing of
    // its entries is written; the other folders are still extracted. The
    // error names the method and the first requested entry set aside.
    std::string SetAsideUndecodable(std::vector<std::vector<size_t>>& folderEntries) const {
        std::string error;
        for (size_t f = 0; f < folderEntries.size(); ++f) {
            std::vector<size_t>& entries = folderEntries[f];
            if (entries.empty()) continue;
            const auto& coders = db_.folders[f].coders;
            auto missing = std::find_if(coders.begin(), coders.end(), [](const Coder& c) { return !CanDecode(c.methodId); });
            if (missing == coders.end()) continue;
            if (error.empty()) {
                size_t named = *std::find_if(entries.begin(), entries.end(), [&](size_t i) { return bool(selected_[i]); });
                error = "unsupported method: " + MethodName(missing->methodId) + " (" + db_.entries[named].name + ")";
            }
            entries.clear();
        }
        return error;
    }

    // One thread where decoding may ask for a password: that callback and
    // its progress reports stay in order on the caller's thread.
    unsigned AllowedThreads(const std::vector<std::vector<size_t>>& folderEntries) const {
        if (kMostThreads == 1) return 1;
        for (size_t f = 0; f < folderEntries.size(); ++f)
            if (!folderEntries[f].empty() && db_.folders[f].IsEncrypted()) return 1;
        return request_.threads ? request_.threads : std::min(std::thread::hardware_concurrency(), kMostThreads);
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
            Perform(lane, i);
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
            Perform(here, i);
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
                    Perform(lane, i);
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
        if (kMostThreads > 1 && lane.shared) lane.shared->group.ThrowIfStopping();
        const bool encrypted = db_.folders[lane.folder].IsEncrypted();
        return DecodeMaybeEncrypted(encrypted, "wrong password or corrupted encrypted data", [&] {
            size_t got = ReadFully(*lane.decoder, lane.buffer.data(), want);
            if (got != want) ThrowCorrupt("data ends before the file's size");
            return got;
        });
    }

    void Discard(Lane& lane, uint64_t size) {
        while (size > 0) size -= ReadChunk(lane, static_cast<size_t>(std::min<uint64_t>(size, lane.buffer.size())));
    }

    // The caller hears of progress directly, or from the reporting thread.
    void Advance(Lane& lane, uint64_t bytes) {
        if (kMostThreads > 1 && lane.shared) {
            lane.shared->done += bytes;
            return;
        }
        progress_.Advance(bytes);
        progress_.Report();
    }

    // Decides, on the caller's thread and in entry order, what becomes of
    // each requested entry: the entry question, the target each file claims
    // and, once per target that exists already, the overwrite question. Of
    // the entries sharing a target, the last writes it (the earlier ones are
    // checked only), unless the existing file was kept.
    void Plan(std::optional<ScratchFolder>& scratch) {
        plan_.assign(db_.entries.size(), PlannedEntry{});
        bool testOnly = request_.destination.empty();
        TargetClaims claims(request_.destination);
        bool writes = false;
        for (size_t i = 0; i < db_.entries.size(); ++i) {
            if (!Wanted(i)) continue;
            if (testOnly) plan_[i].action = db_.entries[i].isFolder ? Action::kSkip : Action::kCheck;
            else PlanEntry(claims, i);
            writes |= plan_[i].action == Action::kWrite;
        }
        if (writes) scratch.emplace(request_.destination, claims);
    }

    void PlanEntry(TargetClaims& claims, size_t i) {
        const Entry& e = db_.entries[i];
        PlannedEntry& planned = plan_[i];
        if (request_.entry && request_.entry(e.name.c_str(), e.attributes.value_or(0)) == 0) return;
        auto components = SafePathComponents(e.name);
        if (!components) {
            if (!refused_.empty()) refused_ += ", ";
            refused_ += e.name;
            return;
        }
        if (components->empty()) {
            if (e.isFolder) return;  // "." or "./": the destination itself
            components->push_back("_");  // a file cannot be the destination; 7zz names it so too
        }
        if (e.isFolder) {
            if (!request_.withoutPaths) planned = {Action::kMakeFolder, claims.Folder(*components)};
            return;
        }
        if (request_.withoutPaths) components->erase(components->begin(), components->end() - 1);
        TargetClaims::FileClaim claim = claims.File(*components, i);
        if (claim.earlier) {
            PlannedEntry& earlier = plan_[*claim.earlier];
            if (earlier.action != Action::kWrite) return;  // the existing file was kept
            earlier = {Action::kCheck, std::string()};
            planned = {Action::kWrite, std::move(claim.path)};
            return;
        }
        auto existing = FindExisting(claim.path);
        if (!existing || MayReplace(claim.path, *existing, e)) planned = {Action::kWrite, std::move(claim.path)};
    }

    // Creates the folders between the destination and path. Entries come
    // grouped by folder, so the previous entry's folders are not made again.
    void MakeParentFolders(Lane& lane, const std::string& path) {
        size_t end = path.rfind(kPathSeparator);
        if (path.compare(0, end, lane.lastFolder) == 0) return;
        for (size_t at = path.find(kPathSeparator, request_.destination.size() + 1); at <= end;
             at = path.find(kPathSeparator, at + 1))
            CreateFolder(path.substr(0, at));
        lane.lastFolder = path.substr(0, end);
    }

    // Asks whether an existing file may be replaced; false keeps it.
    bool MayReplace(const std::string& path, const ExistingItem& existing, const Entry& e) {
        if (existing.isFolder) ThrowArchiveError(kKebErrorWrite, "a folder is in the way of " + path);
        if (overwriteAll_ || !request_.overwrite) return true;
        uint64_t time = e.modificationTime.value_or(0);
        switch (request_.overwrite(path.c_str(), LowHalf(existing.size), HighHalf(existing.size),
                                   LowHalf(existing.modificationTime), HighHalf(existing.modificationTime),
                                   e.name.c_str(), LowHalf(e.size), HighHalf(e.size), LowHalf(time),
                                   HighHalf(time))) {
            case kKebOverwriteSkip: return false;
            case kKebOverwriteYes: return true;
            case kKebOverwriteAll: overwriteAll_ = true; return true;
            default: ThrowArchiveError(kKebErrorCancelled, "extraction cancelled");
        }
    }

    void Perform(Lane& lane, size_t i) {
        const Entry& e = db_.entries[i];
        const PlannedEntry& planned = plan_[i];
        switch (planned.action) {
            case Action::kSkip:
                if (e.hasStream) Discard(lane, e.size);
                return;
            case Action::kMakeFolder:
                MakeParentFolders(lane, planned.path);
                CreateFolder(planned.path);
                return;
            case Action::kCheck: Decode(lane, e, nullptr); return;
            case Action::kWrite: Decode(lane, e, &planned.path); return;
        }
    }

    // Decodes the entry, checks its CRC and, given a path, writes it there.
    void Decode(Lane& lane, const Entry& e, const std::string* path) {
        std::unique_ptr<OutputFile> out;
        if (path) {
            MakeParentFolders(lane, *path);
            out = std::make_unique<OutputFile>(*path, scratch_->NextFileName());
        }
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
                ThrowArchiveError(kKebErrorCannotOpen, "wrong password or corrupted encrypted data: " + e.name);
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
    std::vector<PlannedEntry> plan_;
    ScratchFolder* scratch_ = nullptr;
    bool overwriteAll_ = false;
    std::string refused_;
};

}  // namespace

void ExtractEntries(const Archive& archive, PasswordProvider& password, ExtractionProgress& progress,
                    const ExtractRequest& request) {
    Extraction(archive, password, progress, request).Run();
}

}  // namespace keb
