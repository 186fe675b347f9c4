#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace keb {

// The part of a file an archive occupies: all of it, or the bytes appended
// to a program (a self-extracting setup), from `offset` for `length` bytes.
struct FileWindow {
    uint64_t offset = 0;
    uint64_t length = UINT64_MAX;
};

// The archive opened for reading by its ANSI path; offsets count from the
// window's start and reads end at its end. Throws ArchiveError with
// kKebErrorNotFound when it cannot be opened.
class ArchiveFile {
public:
    explicit ArchiveFile(const std::string& path, const FileWindow& window = {});
    ~ArchiveFile();
    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;

    uint64_t size() const { return size_; }
    // Reads up to size bytes at offset; fewer only at the end of the window.
    size_t ReadAt(uint64_t offset, uint8_t* buffer, size_t size) const {
        if (offset >= size_) return 0;
        return ReadFileAt(base_ + offset, buffer, static_cast<size_t>(size < size_ - offset ? size : size_ - offset));
    }

private:
    // The file's own reads, by platform.
    size_t ReadFileAt(uint64_t offset, uint8_t* buffer, size_t size) const;
    // The window within a file of fileSize bytes; a window past the end leaves nothing to read.
    void Narrow(const FileWindow& window, uint64_t fileSize) {
        base_ = window.offset < fileSize ? window.offset : fileSize;
        size_ = fileSize - base_ < window.length ? fileSize - base_ : window.length;
    }

    void* handle_;  // file descriptor or HANDLE, by platform
    uint64_t base_ = 0, size_ = 0;
};

}  // namespace keb
