#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "system/Files.h"

namespace fs = std::filesystem;

namespace {

// Engine paths use backslashes; on the host they are POSIX separators.
fs::path HostPath(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return fs::path(path);
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

bool CreateFolderTree(const std::string& path) {
    std::error_code ec;
    fs::create_directories(HostPath(path), ec);
    return FolderExists(path);
}

NewFolderResult CreateNewFolder(const std::string& path) {
    if (mkdir(HostPath(path).c_str(), 0700) == 0) return NewFolderResult::Created;
    return errno == EEXIST ? NewFolderResult::AlreadyExists : NewFolderResult::Failed;
}

bool CopyFileOver(const std::string& from, const std::string& to) {
    std::error_code ec;
    return fs::copy_file(HostPath(from), HostPath(to), fs::copy_options::overwrite_existing, ec);
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

void DeleteFolderContents(const std::string& folder) {
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
    std::ofstream out(HostPath(path), std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    return static_cast<bool>(out);
}

std::optional<std::string> ReadFileText(const std::string& path) {
    std::ifstream in(HostPath(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text;
}
