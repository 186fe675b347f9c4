#include "keb/ArchiveFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "keb/ArchiveError.h"

namespace keb {
namespace {
int Fd(void* handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle)); }
}  // namespace

ArchiveFile::ArchiveFile(const std::string& path, const FileWindow& window) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) ThrowArchiveError(kKebErrorNotFound, "cannot open " + path);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        ThrowArchiveError(kKebErrorNotFound, "not a file: " + path);
    }
    handle_ = reinterpret_cast<void*>(static_cast<intptr_t>(fd));
    Narrow(window, static_cast<uint64_t>(st.st_size));
}

ArchiveFile::~ArchiveFile() { ::close(Fd(handle_)); }

size_t ArchiveFile::ReadFileAt(uint64_t offset, uint8_t* buffer, size_t size) const {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::pread(Fd(handle_), buffer + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) ThrowArchiveError(kKebErrorCorrupt, "read error in the archive");
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return done;
}

}  // namespace keb
