#include <windows.h>

#include "system/FailureReason_win32.h"
#include "system/FileTree.h"
#include "system/Files.h"
#include "system/OwnedHandle_win32.h"
#include "system/PathParts.h"
#include "system/TextUtils.h"

namespace {

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

std::string WithoutBackslash(std::string path) {
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

class FindHandle {
public:
    explicit FindHandle(HANDLE h) : h_(h) {}
    ~FindHandle() {
        if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

// Calls visit(path, attributes) for every entry of the folder but "." and "..".
template <class Visit>
void ForEachEntry(const std::string& folder, Visit visit) {
    const std::string base = WithBackslash(folder);
    WIN32_FIND_DATAA entry;
    FindHandle find(FindFirstFileA((base + "*").c_str(), &entry));
    if (find.get() == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        visit(base + name, entry.dwFileAttributes);
    } while (FindNextFileA(find.get(), &entry));
}

void DeleteEntry(const std::string& path, DWORD attributes) {
    const bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // The link itself goes; its target stays untouched.
        folder ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str());
        return;
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (folder) {
        DeleteFolderContents(path);
        RemoveDirectoryA(path.c_str());
    } else {
        DeleteFileA(path.c_str());
    }
}

}  // namespace

bool FileExists(const std::string& path) {
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    DWORD a = Attributes(WithoutBackslash(path));
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> FileNamesStartingWith(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> names;
    ForEachEntry(folder, [&](const std::string& path, DWORD attributes) {
        const std::string name = FileNameOf(path);
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) && SameText(name.substr(0, prefix.size()), prefix))
            names.push_back(name);
    });
    return names;
}

bool CreateFolderTree(const std::string& path) {
    ForgetFailure();
    const std::string folder = WithoutBackslash(path);
    if (folder.empty() || FolderExists(folder)) return !folder.empty();
    size_t cut = folder.find_last_of('\\');
    if (cut != std::string::npos && cut > 0 && !CreateFolderTree(folder.substr(0, cut + 1))) return false;
    return Recorded(CreateDirectoryA(folder.c_str(), nullptr)) || FolderExists(folder);
}

NewFolderResult CreateNewFolder(const std::string& path) {
    if (Recorded(CreateDirectoryA(WithoutBackslash(path).c_str(), nullptr))) return NewFolderResult::Created;
    return GetLastError() == ERROR_ALREADY_EXISTS ? NewFolderResult::AlreadyExists : NewFolderResult::Failed;
}

bool CopyFileOver(const std::string& from, const std::string& to) {
    return Recorded(CopyFileA(from.c_str(), to.c_str(), FALSE));
}

bool CopyFileToNewName(const std::string& from, const std::string& to) {
    ForgetFailure();
    return !IsLink(to) && Recorded(CopyFileA(from.c_str(), to.c_str(), TRUE));
}

bool SetNormalAttributes(const std::string& path) {
    return Recorded(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
}

bool DeleteFileAt(const std::string& path) { return Recorded(DeleteFileA(path.c_str())); }

bool IsLink(const std::string& path) {
    const DWORD a = Attributes(WithoutBackslash(path));
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool RemoveLink(const std::string& path) {
    const std::string link = WithoutBackslash(path);
    const DWORD a = Attributes(link);
    if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    // Removing a directory link or junction removes the link, not its target.
    return (a & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryA(link.c_str()) : DeleteFileA(link.c_str());
}

bool CreateOwnedFolder(const std::string& path) {
    if (IsLink(path) && !RemoveLink(path)) return false;
    return CreateFolderTree(path) && !IsLink(path);
}

void DeleteFolderContents(const std::string& folder) {
    if (!IsLink(folder)) ForEachEntry(folder, DeleteEntry);
}

bool RemoveFolder(const std::string& folder) { return Recorded(RemoveDirectoryA(WithoutBackslash(folder).c_str())); }

bool MoveFolder(const std::string& from, const std::string& to) {
    return Recorded(MoveFileA(WithoutBackslash(from).c_str(), WithoutBackslash(to).c_str()));
}

bool ScheduleDeleteAtRestart(const std::string& path) {
    return Recorded(MoveFileExA(WithoutBackslash(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
}

bool ScheduleFolderDeleteAtRestart(const std::string& folder) {
    if (IsLink(folder)) return ScheduleDeleteAtRestart(folder);
    bool all = true;
    ForEachEntry(folder, [&](const std::string& path, DWORD attributes) {
        // A link is queued itself; what it points to is never entered.
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            all = ScheduleFolderDeleteAtRestart(path) && all;
        else
            all = ScheduleDeleteAtRestart(path) && all;
    });
    return ScheduleDeleteAtRestart(folder) && all;
}

namespace {

bool WriteWhole(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace

bool WriteFileText(const std::string& path, const std::string& bytes) {
    // A new file in the same folder takes the place of the old one only once
    // it is complete, so a failure leaves the old content whole.
    const std::string folder = FolderOf(path);
    char temporary[MAX_PATH];
    if (!Recorded(GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "~kb", 0, temporary))) return false;
    bool written;
    {
        OwnedHandle file = Own(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        written = Recorded(file != nullptr) && Recorded(WriteWhole(file.get(), bytes)) &&
                  Recorded(FlushFileBuffers(file.get()));
    }
    if (written &&
        Recorded(MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)))
        return true;
    DeleteFileA(temporary);
    return false;
}

std::optional<std::string> ReadFileText(const std::string& path) {
    OwnedHandle file = Own(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!Recorded(file != nullptr)) return std::nullopt;
    std::string text;
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = Recorded(ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))) && got > 0)
        text.append(buffer, got);
    if (!ok) return std::nullopt;
    return text;
}

std::optional<int64_t> FileSizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

namespace {
void CollectFiles(const std::string& folder, const std::string& prefix, std::vector<std::string>& files) {
    ForEachEntry(folder, [&](const std::string& path, DWORD attributes) {
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return;
        const std::string relative = prefix + FileNameOf(path);
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) CollectFiles(path, relative + "\\", files);
        else files.push_back(relative);
    });
}
}  // namespace

std::vector<std::string> FilesBelow(const std::string& folder) {
    std::vector<std::string> files;
    if (!IsLink(folder)) CollectFiles(folder, "", files);
    return files;
}
