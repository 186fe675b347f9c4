// The exported entry points: every exception ends here and becomes an error
// code, since nothing may unwind into the caller's frames.
#include "keb/KebApi.h"

#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "keb/Archive.h"
#include "keb/ArchiveError.h"
#include "keb/Extractor.h"
#include "keb/LastError.h"

namespace keb {
namespace {

struct ErrorState {
    std::mutex lock;
    uint32_t code = kKebErrorNone;
    std::string text;
};

ErrorState& Errors() {
    static ErrorState state;
    return state;
}

// A listing handed out by OpenListArchive: names and records stay valid
// until CloseListArchive.
struct Listing {
    std::vector<std::string> names;
    std::vector<KebEntryRecord> records;
};

struct ListingRegistry {
    std::mutex lock;
    std::set<Listing*> live;
};

ListingRegistry& Listings() {
    static ListingRegistry registry;
    return registry;
}

template <typename Body>
bool Guarded(Body body) {
    try {
        body();
        SetLastArchiveError(kKebErrorNone, "");
        return true;
    } catch (const ArchiveError& e) {
        SetLastArchiveError(e.code(), e.what());
    } catch (const std::bad_alloc&) {
        SetLastArchiveError(kKebErrorOutOfMemory, "out of memory");
    } catch (const std::length_error&) {
        SetLastArchiveError(kKebErrorOutOfMemory, "out of memory");
    } catch (const std::exception& e) {
        SetLastArchiveError(kKebErrorCorrupt, e.what());
    } catch (...) {
        SetLastArchiveError(kKebErrorCorrupt, "unexpected failure");
    }
    return false;
}

std::unique_ptr<Listing> MakeListing(const ArchiveDatabase& db) {
    auto listing = std::make_unique<Listing>();
    listing->names.reserve(db.entries.size());
    for (const Entry& e : db.entries) listing->names.push_back(e.name);
    listing->records.resize(db.entries.size());
    for (size_t i = 0; i < db.entries.size(); ++i) {
        const Entry& e = db.entries[i];
        KebEntryRecord& r = listing->records[i];
        r.name = listing->names[i].c_str();
        r.attributes = e.attributes.value_or(e.isFolder ? 0x10u : 0u);
        r.flags = (e.isFolder ? kKebEntryFolder : 0) | (e.crc ? kKebEntryHasCrc : 0) |
                  (e.modificationTime ? kKebEntryHasTime : 0) |
                  (e.hasStream && db.folders[e.folderIndex].IsEncrypted() ? kKebEntryEncrypted : 0);
        r.size = e.size;
        r.modificationTime = e.modificationTime.value_or(0);
        r.crc = e.crc.value_or(0);
    }
    return listing;
}

}  // namespace

void SetLastArchiveError(uint32_t code, const std::string& text) {
    std::lock_guard<std::mutex> guard(Errors().lock);
    Errors().code = code;
    Errors().text = text;
}

uint32_t LastArchiveErrorCode() {
    std::lock_guard<std::mutex> guard(Errors().lock);
    return Errors().code;
}

std::string LastArchiveErrorText() {
    std::lock_guard<std::mutex> guard(Errors().lock);
    return Errors().text;
}

}  // namespace keb

using namespace keb;

extern "C" uintptr_t KEB_CALL OpenListArchive(const char* archivePath, uint32_t, KebPasswordCallback passwordCallback,
                                              uint32_t, uint32_t, uint32_t, const char* password,
                                              const KebEntryRecord** entries, uint32_t* entryCount) {
    uintptr_t handle = 0;
    Guarded([&] {
        if (!archivePath || !entries || !entryCount) ThrowArchiveError(kKebErrorBadArgument, "missing argument");
        PasswordProvider passwordProvider(password, passwordCallback);
        Archive archive(archivePath, passwordProvider);
        auto listing = MakeListing(archive.database());
        *entries = listing->records.empty() ? nullptr : listing->records.data();
        *entryCount = static_cast<uint32_t>(listing->records.size());
        std::lock_guard<std::mutex> guard(Listings().lock);
        Listings().live.insert(listing.get());
        handle = reinterpret_cast<uintptr_t>(listing.release());
    });
    return handle;
}

extern "C" void KEB_CALL CloseListArchive(uintptr_t handle) {
    Guarded([&] {
        auto* listing = reinterpret_cast<Listing*>(handle);
        std::lock_guard<std::mutex> guard(Listings().lock);
        if (Listings().live.erase(listing) == 0) ThrowArchiveError(kKebErrorBadArgument, "unknown listing handle");
        delete listing;
    });
}

extern "C" int32_t KEB_CALL ExtractArchive(const char* archivePath, uint32_t, const char* destination,
                                           const char* const* targets, uint32_t targetCount, uint32_t withoutPaths,
                                           const char* password, KebPasswordCallback passwordCallback,
                                           KebProgressCallback progressCallback, KebEntryCallback entryCallback,
                                           KebOverwriteCallback overwriteCallback) {
    return Guarded([&] {
        if (!archivePath || (targetCount > 0 && !targets)) ThrowArchiveError(kKebErrorBadArgument, "missing argument");
        ExtractRequest request;
        for (uint32_t i = 0; i < targetCount; ++i) {
            if (!targets[i]) ThrowArchiveError(kKebErrorBadTargetName, "missing target name");
            request.targets.emplace_back(targets[i]);
        }
        request.destination = destination ? destination : "";
        // A trailing separator would double up when names are joined.
        while (request.destination.size() > 1 &&
               (request.destination.back() == '\\' || request.destination.back() == '/'))
            request.destination.pop_back();
        request.withoutPaths = withoutPaths != 0;
        request.entry = entryCallback;
        request.overwrite = overwriteCallback;
        ExtractionProgress progress(progressCallback);
        PasswordProvider passwordProvider(password, passwordCallback, [&progress] { progress.Report(); });
        Archive archive(archivePath, passwordProvider);
        ExtractEntries(archive, passwordProvider, progress, request);
    }) ? 1 : 0;
}

extern "C" uint32_t KEB_CALL GetLastArchiveError(uint32_t) { return LastArchiveErrorCode(); }
