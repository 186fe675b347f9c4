#include "keb/OutputFiles.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "keb/ArchiveError.h"

namespace keb {
namespace {

// Seconds between 1601-01-01 and 1970-01-01.
constexpr uint64_t kEpochDifference = 11644473600ull;

int Fd(void* handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle)) - 1; }
void* Handle(int fd) { return reinterpret_cast<void*>(static_cast<intptr_t>(fd + 1)); }

[[noreturn]] void ThrowWrite(const std::string& what, const std::string& path) {
    ThrowArchiveError(kKebErrorWrite, what + " " + path);
}

}  // namespace

std::optional<ExistingItem> FindExisting(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    ExistingItem item;
    item.isFolder = S_ISDIR(st.st_mode);
    item.size = static_cast<uint64_t>(st.st_size);
    item.modificationTime = (static_cast<uint64_t>(st.st_mtime) + kEpochDifference) * 10000000ull;
    return item;
}

void CreateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) return;
    struct stat st {};
    // lstat: a link to a folder elsewhere is not a folder to write into.
    if (errno == EEXIST && ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return;
    ThrowWrite("cannot create folder", path);
}

bool CreateNewFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    if (errno == EEXIST) return false;
    ThrowWrite("cannot create folder", path);
}

void RemoveEmptyFolder(const std::string& path) { ::rmdir(path.c_str()); }

// Linux file systems tell letter case apart.
std::string FileSystemNameKey(const std::string& name) { return name; }

OutputFile::OutputFile(const std::string& targetPath, const std::string& temporaryPath)
    : target_(targetPath), temporary_(temporaryPath) {
    int fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) ThrowWrite("cannot create", target_);
    handle_ = Handle(fd);
}

OutputFile::~OutputFile() {
    if (handle_) ::close(Fd(handle_));
    if (!committed_) ::unlink(temporary_.c_str());
}

void OutputFile::Write(const uint8_t* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(Fd(handle_), data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ThrowWrite("cannot write", target_);
        data += n;
        size -= static_cast<size_t>(n);
    }
}

void OutputFile::Commit(std::optional<uint64_t> modificationTime, std::optional<uint32_t> attributes) {
    if (modificationTime && *modificationTime / 10000000ull >= kEpochDifference) {
        uint64_t unixTime = *modificationTime / 10000000ull - kEpochDifference;
        struct timespec times[2] = {{0, UTIME_OMIT},
                                    {static_cast<time_t>(unixTime), static_cast<long>(*modificationTime % 10000000ull * 100)}};
        ::futimens(Fd(handle_), times);
    }
    // The read-only attribute becomes a read-only mode.
    if (attributes && (*attributes & 1u)) ::fchmod(Fd(handle_), 0444);
    int fd = Fd(handle_);
    handle_ = nullptr;
    if (::close(fd) != 0) ThrowWrite("cannot write", target_);
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) ThrowWrite("cannot replace", target_);
    committed_ = true;
}

}  // namespace keb
