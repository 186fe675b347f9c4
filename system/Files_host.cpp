#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "system/FailureReason.h"
#include "system/FileTree.h"
#include "system/Files.h"
#include "system/TextUtils.h"

namespace fs = std::filesystem;

namespace {

// Engine paths use backslashes; on the host they are POSIX separators.
fs::path HostPath(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return fs::path(path);
}

// Passes success through, keeping the system's reason when the call failed.
bool Recorded(bool succeeded, const std::error_code& error) {
    if (succeeded)
        ForgetFailure();
    else
        RecordFailureText(error ? error.message() : std::string());
    return succeeded;
}

}  // namespace

bool FileExists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(HostPath(path), ec);
}

bool FolderExists(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(HostPath(path), ec);
}

std::vector<std::string> FileNamesStartingWith(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(HostPath(folder), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code ignored;
        if (it->is_regular_file(ignored) && SameText(name.substr(0, prefix.size()), prefix)) names.push_back(name);
    }
    return names;
}

bool CreateFolderTree(const std::string& path) {
    std::error_code ec;
    fs::create_directories(HostPath(path), ec);
    return Recorded(FolderExists(path), ec);
}

NewFolderResult CreateNewFolder(const std::string& path) {
    const bool made = mkdir(HostPath(path).c_str(), 0700) == 0;
    const int error = errno;
    if (Recorded(made, std::error_code(error, std::generic_category()))) return NewFolderResult::Created;
    return error == EEXIST ? NewFolderResult::AlreadyExists : NewFolderResult::Failed;
}

bool CopyFileOver(const std::string& from, const std::string& to) {
    std::error_code ec;
    return Recorded(fs::copy_file(HostPath(from), HostPath(to), fs::copy_options::overwrite_existing, ec), ec);
}

bool CopyFileToNewName(const std::string& from, const std::string& to) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(HostPath(to), ec))) return Recorded(false, {});
    return Recorded(fs::copy_file(HostPath(from), HostPath(to), fs::copy_options::none, ec), ec);
}

bool SetNormalAttributes(const std::string& path) {
    std::error_code ec;
    fs::permissions(HostPath(path), fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
    return !ec;
}

bool DeleteFileAt(const std::string& path) {
    std::error_code ec;
    return !fs::is_directory(fs::symlink_status(HostPath(path), ec)) && fs::remove(HostPath(path), ec);
}

bool IsLink(const std::string& path) {
    std::error_code ec;
    return fs::is_symlink(HostPath(path), ec);
}

bool RemoveLink(const std::string& path) {
    std::error_code ec;
    return IsLink(path) && fs::remove(HostPath(path), ec);
}

bool CreateOwnedFolder(const std::string& path) {
    if (IsLink(path) && !RemoveLink(path)) return false;
    return CreateFolderTree(path) && !IsLink(path);
}

void DeleteFolderContents(const std::string& folder) {
    if (IsLink(folder)) return;
    std::error_code ec;
    for (fs::directory_iterator it(HostPath(folder), ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path entry = it->path();
        std::error_code ignored;
        if (fs::is_directory(fs::symlink_status(entry, ignored))) {
            fs::permissions(entry, fs::perms::owner_all, fs::perm_options::add, ignored);
            DeleteFolderContents(entry.string());
        }
        // A symbolic link is removed itself; remove() never follows it.
        fs::remove(entry, ignored);
    }
}

bool RemoveFolder(const std::string& folder) {
    std::error_code ec;
    return fs::is_directory(fs::symlink_status(HostPath(folder), ec)) && fs::remove(HostPath(folder), ec);
}

bool MoveFolder(const std::string& from, const std::string& to) {
    std::error_code ec;
    if (fs::exists(HostPath(to), ec)) return false;
    fs::rename(HostPath(from), HostPath(to), ec);
    return !ec;
}

// A host has no restart to wait for: the request is accepted and nothing is deleted.
bool ScheduleDeleteAtRestart(const std::string&) { return true; }
bool ScheduleFolderDeleteAtRestart(const std::string&) { return true; }

bool WriteFileText(const std::string& path, const std::string& bytes) {
    // Written beside the target and renamed over it once complete.
    const fs::path target = HostPath(path);
    std::string temporary = (target.parent_path() / ".~kbXXXXXX").string();
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return false;
    bool written = fchmod(fd, 0644) == 0;
    for (size_t done = 0; written && done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        written = n > 0;
        if (written) done += static_cast<size_t>(n);
    }
    written = close(fd) == 0 && written;
    std::error_code ec;
    if (written) fs::rename(temporary, target, ec);
    if (!written || ec) {
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

std::optional<std::string> ReadFileText(const std::string& path) {
    std::ifstream in(HostPath(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    // An empty file leaves failbit set by the copy; only badbit is an error.
    if (in.peek() != std::ifstream::traits_type::eof()) text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return text.str();
}

std::optional<int64_t> FileSizeOf(const std::string& path) {
    std::error_code ec;
    const auto size = fs::file_size(HostPath(path), ec);
    if (ec || !fs::is_regular_file(HostPath(path), ec)) return std::nullopt;
    return static_cast<int64_t>(size);
}

std::vector<std::string> FilesBelow(const std::string& folder) {
    std::vector<std::string> files;
    const fs::path root = HostPath(folder);
    std::error_code ec;
    if (fs::is_symlink(root, ec)) return files;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        if (!fs::is_regular_file(it->symlink_status(ignored))) continue;
        std::string relative = fs::relative(it->path(), root, ignored).string();
        for (char& c : relative)
            if (c == '/') c = '\\';
        files.push_back(relative);
    }
    return files;
}
