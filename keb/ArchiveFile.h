#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace keb {

// The archive opened for reading by its ANSI path. Throws ArchiveError with
// kKebErrorNotFound when it cannot be opened.
class ArchiveFile {
public:
    explicit ArchiveFile(const std::string& path);
    ~ArchiveFile();
    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;

    uint64_t size() const { return size_; }
    // Reads up to size bytes at offset; fewer only at the end of the file.
    size_t ReadAt(uint64_t offset, uint8_t* buffer, size_t size) const;

private:
    void* handle_;  // file descriptor or HANDLE, by platform
    uint64_t size_ = 0;
};

}  // namespace keb
