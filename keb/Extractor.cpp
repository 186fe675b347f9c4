#include "keb/Extractor.h"

#include <memory>
#include <optional>

#include "keb/ArchiveError.h"
#include "keb/Crc32.h"
#include "keb/EntryPath.h"
#include "keb/EntrySelection.h"
#include "keb/FolderDecoder.h"
#include "keb/Halves.h"
#include "keb/OutputFiles.h"

namespace keb {
namespace {

constexpr size_t kCopyBuffer = size_t(1) << 18;

class Extraction {
public:
    Extraction(const Archive& archive, PasswordProvider& password, ExtractionProgress& progress,
               const ExtractRequest& request)
        : archive_(archive), db_(archive.database()), password_(password), progress_(progress), request_(request),
          buffer_(kCopyBuffer) {}

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
        for (size_t i = 0; i < db_.entries.size(); ++i) {
            const Entry& e = db_.entries[i];
            bool wanted = selected_[i] && !e.isAnti;
            if (e.hasStream && (!needed[e.folderIndex] || i > lastNeeded[e.folderIndex])) continue;
            progress_.SetEntry(e.name);
            if (e.hasStream) PositionAt(e);
            if (wanted) ExtractOne(e);
            else if (e.hasStream) Discard(e.size);
        }
        if (!refused_.empty())
            throw ArchiveError(kKebErrorUnsafeName, "refused unsafe entry name: " + refused_);
    }

private:
    void SelectTargets() {
        selected_ = SelectNamedEntries(db_.entries, request_.targets);
        uint64_t total = 0;
        for (size_t i = 0; i < db_.entries.size(); ++i)
            if (selected_[i]) total += db_.entries[i].size;
        progress_.SetTotal(total);
    }

    // Opens the entry's folder when the previous entries used another one.
    void PositionAt(const Entry& e) {
        if (decoder_ && e.folderIndex == folder_) return;
        folder_ = e.folderIndex;
        decoder_ = std::make_unique<FolderDecoder>(archive_.file(), db_, folder_, password_);
    }

    size_t ReadChunk(size_t want) {
        try {
            size_t got = ReadFully(*decoder_, buffer_.data(), want);
            if (got != want) ThrowCorrupt("data ends before the file's size");
            return got;
        } catch (const ArchiveError& e) {
            if (e.code() == kKebErrorCorrupt && db_.folders[folder_].IsEncrypted())
                throw ArchiveError(kKebErrorCannotOpen, "wrong password or corrupted encrypted data");
            throw;
        }
    }

    void Discard(uint64_t size) {
        while (size > 0) size -= ReadChunk(static_cast<size_t>(std::min<uint64_t>(size, buffer_.size())));
    }

    std::optional<std::string> TargetPath(const Entry& e) {
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
        return MakeParentFolders(*components) + kPathSeparator + components->back();
    }

    // Creates the folders above an entry and returns the innermost. Entries
    // come grouped by folder, so the previous entry's folders are not made
    // again.
    std::string MakeParentFolders(const std::vector<std::string>& components) {
        std::string folder = request_.destination;
        for (size_t i = 0; i + 1 < components.size(); ++i) folder += kPathSeparator + components[i];
        if (folder == lastFolder_) return folder;
        size_t end = request_.destination.size();
        for (size_t i = 0; i + 1 < components.size(); ++i) {
            end += 1 + components[i].size();
            CreateFolder(folder.substr(0, end));
        }
        lastFolder_ = folder;
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

    void ExtractOne(const Entry& e) {
        bool testOnly = request_.destination.empty();
        std::optional<std::string> path;
        if (!testOnly) {
            if (request_.entry && request_.entry(e.name.c_str(), e.attributes.value_or(0)) == 0) {
                if (e.hasStream) Discard(e.size);
                return;
            }
            path = TargetPath(e);
            if (!path) {
                if (!refused_.empty()) refused_ += ", ";
                refused_ += e.name;
                if (e.hasStream) Discard(e.size);
                return;
            }
            if (e.isFolder) {
                if (!path->empty()) CreateFolder(*path);
                return;
            }
            if (auto existing = FindExisting(*path); existing && !MayReplace(*path, *existing, e)) {
                if (e.hasStream) Discard(e.size);
                return;
            }
        }
        if (e.isFolder) return;

        std::unique_ptr<OutputFile> out = testOnly ? nullptr : std::make_unique<OutputFile>(*path);
        uint32_t crc = 0;
        for (uint64_t left = e.hasStream ? e.size : 0; left > 0;) {
            size_t n = ReadChunk(static_cast<size_t>(std::min<uint64_t>(left, buffer_.size())));
            crc = UpdateCrc32(crc, buffer_.data(), n);
            if (out) out->Write(buffer_.data(), n);
            left -= n;
            progress_.Advance(n);
            progress_.Report();
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
    std::vector<uint8_t> buffer_;
    std::unique_ptr<FolderDecoder> decoder_;
    uint32_t folder_ = 0;
    bool overwriteAll_ = false;
    std::string refused_;
    std::string lastFolder_;
};

}  // namespace

void ExtractEntries(const Archive& archive, PasswordProvider& password, ExtractionProgress& progress,
                    const ExtractRequest& request) {
    Extraction(archive, password, progress, request).Run();
}

}  // namespace keb
