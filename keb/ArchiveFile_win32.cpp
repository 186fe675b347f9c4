#include "keb/ArchiveFile.h"

#include <windows.h>

#include "keb/ArchiveError.h"

namespace keb {

ArchiveFile::ArchiveFile(const std::string& path, const FileWindow& window) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) ThrowArchiveError(kKebErrorNotFound, "cannot open " + path);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h, &size)) {
        CloseHandle(h);
        ThrowArchiveError(kKebErrorNotFound, "cannot read " + path);
    }
    handle_ = h;
    Narrow(window, static_cast<uint64_t>(size.QuadPart));
}

ArchiveFile::~ArchiveFile() { CloseHandle(static_cast<HANDLE>(handle_)); }

size_t ArchiveFile::ReadFileAt(uint64_t offset, uint8_t* buffer, size_t size) const {
    size_t done = 0;
    while (done < size) {
        OVERLAPPED at{};
        uint64_t pos = offset + done;
        at.Offset = static_cast<DWORD>(pos);
        at.OffsetHigh = static_cast<DWORD>(pos >> 32);
        DWORD chunk = static_cast<DWORD>(size - done > 0x40000000 ? 0x40000000 : size - done);
        DWORD got = 0;
        if (!ReadFile(static_cast<HANDLE>(handle_), buffer + done, chunk, &got, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            ThrowArchiveError(kKebErrorCorrupt, "read error in the archive");
        }
        if (got == 0) break;
        done += got;
    }
    return done;
}

}  // namespace keb
