#pragma once
#include <cstdint>
#include <string>

#include "keb/KebApi.h"

namespace keb {

// Where an extraction stands, told to the caller's progress callback, which
// may ask to stop. Work that writes nothing for a long while (deriving a key
// from the password) reports the same place again, so the caller can stop
// that too.
class ExtractionProgress {
public:
    explicit ExtractionProgress(KebProgressCallback callback) : callback_(callback) {}

    void SetTotal(uint64_t bytes) { total_ = bytes; }
    // The entry being worked on; its name must outlive the next SetEntry.
    void SetEntry(const std::string& name) { entry_ = name.c_str(); }
    void Advance(uint64_t bytes) { done_ += bytes; }
    // Throws ArchiveError (cancelled) when the callback asks to stop.
    void Report() const;

private:
    KebProgressCallback callback_;
    const char* entry_ = "";
    uint64_t done_ = 0, total_ = 0;
};

}  // namespace keb
