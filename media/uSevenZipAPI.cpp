#include "media/uSevenZipAPI.h"

#include <cstring>
#include <exception>
#include <mutex>

#include "media/ArchiveLibrary.h"

namespace {

// The one-shot password slot and the overwrite-all flag: process-wide, set
// just before each call; only one extraction runs at a time.
struct ArchiveSlots {
    std::mutex lock;
    std::string password;
    bool overwriteAll = false;
};

ArchiveSlots& Slots() {
    static ArchiveSlots slots;
    return slots;
}

void SetOverwriteAll(bool value) {
    std::lock_guard<std::mutex> guard(Slots().lock);
    Slots().overwriteAll = value;
}

std::string ListingErrorText(uint32_t code) {
    switch (code) {
        case kKebErrorNotFound: return "The archive file was not found";
        case kKebErrorBadTargetName: return "Illegal path used in a wildcard expression";
        case kKebErrorCannotOpen: return "The archive cannot be opened: unsupported archive or incorrect password";
        default: return "General failure opening archive";
    }
}

// Closes a listing handle on every way out.
class ListingHandle {
public:
    ListingHandle(const ArchiveLibrary& library, uintptr_t handle) : library_(library), handle_(handle) {}
    ~ListingHandle() {
        if (handle_) library_.closeListArchive(handle_);
    }
    ListingHandle(const ListingHandle&) = delete;
    ListingHandle& operator=(const ListingHandle&) = delete;

private:
    const ArchiveLibrary& library_;
    uintptr_t handle_;
};

}  // namespace

void ArmPasswordSlot(const std::string& password) {
    std::lock_guard<std::mutex> guard(Slots().lock);
    Slots().password = password;
}

int32_t KEB_CALL DefaultPasswordCallback(char* buffer) {
    std::lock_guard<std::mutex> guard(Slots().lock);
    if (Slots().password.empty() || !buffer) return 0;
    size_t n = std::min(Slots().password.size(), kKebPasswordBufferSize - 1);
    std::memcpy(buffer, Slots().password.data(), n);
    buffer[n] = '\0';
    Slots().password.clear();
    return 1;
}

int32_t KEB_CALL DefaultSecondCallback(const char*, uint32_t) { return 1; }

int32_t KEB_CALL DefaultOverwriteCallback(const char*, uint32_t, uint32_t, uint32_t, uint32_t, const char*, uint32_t,
                                          uint32_t, uint32_t, uint32_t) {
    std::lock_guard<std::mutex> guard(Slots().lock);
    return Slots().overwriteAll ? kKebOverwriteAll : kKebOverwriteSkip;
}

int32_t KEB_CALL DefaultProgressCallback(const char*, uint32_t, uint32_t, uint32_t, uint32_t) { return 1; }

bool ListArchive(const std::string& archive, const std::string& password, std::string& errorText,
                 std::vector<ArchiveListing>& entries) {
    try {
        const ArchiveLibrary& library = LoadArchiveLibrary();
        ArmPasswordSlot(password);
        const KebEntryRecord* records = nullptr;
        uint32_t count = 0;
        uintptr_t handle = library.openListArchive(archive.c_str(), 0, &DefaultPasswordCallback, 0, 0, 0,
                                                   password.c_str(), &records, &count);
        if (!handle) {
            errorText = ListingErrorText(library.getLastArchiveError(0));
            return false;
        }
        ListingHandle closer(library, handle);
        for (uint32_t i = 0; i < count; ++i) {
            const KebEntryRecord& r = records[i];
            entries.push_back({r.name, r.size, (r.flags & kKebEntryHasTime) ? r.modificationTime : 0,
                               (r.flags & kKebEntryFolder) != 0});
        }
        return true;
    } catch (const std::exception& e) {
        errorText = e.what();
        return false;
    }
}

bool ListArchive(const std::string& archive, const std::string& password, std::string& errorText,
                 std::vector<std::string>& names) {
    std::vector<ArchiveListing> entries;
    if (!ListArchive(archive, password, errorText, entries)) return false;
    for (auto& entry : entries) names.push_back(std::move(entry.name));
    return true;
}

bool ExtractArchiveFiles(const std::string& archive, const std::string& password, const std::string& destination,
                         const ArchiveCallbacks& callbacks, const std::vector<std::string>* fileList,
                         std::string& errorText, bool overwriteAll, bool extractFlag) {
    errorText.clear();
    try {
        std::vector<std::string> listed;
        if (!fileList) {
            if (!ListArchive(archive, password, errorText, listed)) return false;
            fileList = &listed;
        }
        std::vector<const char*> targets;
        targets.reserve(fileList->size());
        for (const auto& name : *fileList) targets.push_back(name.c_str());

        KebOverwriteCallback overwrite = callbacks.overwrite;
        if (!overwrite) {
            SetOverwriteAll(overwriteAll);
            overwrite = &DefaultOverwriteCallback;
        }
        KebPasswordCallback passwordCallback = callbacks.password;
        if (!passwordCallback) {
            ArmPasswordSlot(password);
            passwordCallback = &DefaultPasswordCallback;
        }
        const ArchiveLibrary& library = LoadArchiveLibrary();
        int32_t ok = library.extractArchive(
            archive.c_str(), 1, destination.c_str(), targets.data(), static_cast<uint32_t>(targets.size()),
            extractFlag ? 0 : 1, password.c_str(), passwordCallback,
            callbacks.progress ? callbacks.progress : &DefaultProgressCallback,
            callbacks.second ? callbacks.second : &DefaultSecondCallback, overwrite);
        if (!ok) {
            errorText = "#" + std::to_string(library.getLastArchiveError(0));
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        errorText = e.what();
        return false;
    }
}
