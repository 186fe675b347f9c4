#include "keb/OutputFiles.h"

#include <windows.h>

#include <vector>

#include "keb/AnsiText.h"
#include "keb/ArchiveError.h"

namespace keb {
namespace {

[[noreturn]] void ThrowWrite(const std::string& what, const std::string& path) {
    ThrowArchiveError(kKebErrorWrite, what + " " + path);
}

constexpr DWORD kStoredAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

#if !__cpp_exceptions
// The files being written, for AbandonAll (such a build runs one thread).
std::vector<OutputFile*> openFiles;
#endif

}  // namespace

std::optional<ExistingItem> FindExisting(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    ExistingItem item;
    item.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    item.size = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    item.modificationTime = uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
    return item;
}

void CreateFolder(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return;
    DWORD attributes = GetFileAttributesA(path.c_str());
    // A reparse point may lead out of the destination: never write through one.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return;
    ThrowWrite("cannot create folder", path);
}

bool CreateNewFolder(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    if (GetLastError() == ERROR_ALREADY_EXISTS) return false;
    ThrowWrite("cannot create folder", path);
}

void RemoveEmptyFolder(const std::string& path) { RemoveDirectoryA(path.c_str()); }

// Upper case through the wide text: the upper case of an ANSI letter need
// not be ANSI. LCMapStringW without linguistic casing uses the file
// system's casing rules.
std::string FileSystemNameKey(const std::string& name) {
    std::u16string wide = AnsiToUtf16(name);
    if (wide.empty()) return {};
    std::u16string upper(wide.size(), u'\0');
    LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, reinterpret_cast<const wchar_t*>(wide.data()),
                 static_cast<int>(wide.size()), reinterpret_cast<wchar_t*>(upper.data()), static_cast<int>(upper.size()));
    return std::string(reinterpret_cast<const char*>(upper.data()), upper.size() * sizeof(char16_t));
}

OutputFile::OutputFile(const std::string& targetPath, const std::string& temporaryPath)
    : target_(targetPath), temporary_(temporaryPath) {
    HANDLE h = CreateFileA(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) ThrowWrite("cannot create", target_);
    handle_ = h;
#if !__cpp_exceptions
    openFiles.push_back(this);
#endif
}

OutputFile::~OutputFile() {
    Discard();
#if !__cpp_exceptions
    std::erase(openFiles, this);
#endif
}

#if !__cpp_exceptions
void OutputFile::AbandonAll() {
    for (OutputFile* file : openFiles) file->Discard();
}
#endif

void OutputFile::Discard() {
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
    if (!committed_) DeleteFileA(temporary_.c_str());
}

void OutputFile::Write(const uint8_t* data, size_t size) {
    while (size > 0) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(size > (1u << 30) ? (1u << 30) : size);
        if (!WriteFile(static_cast<HANDLE>(handle_), data, chunk, &written, nullptr) || written == 0)
            ThrowWrite("cannot write", target_);
        data += written;
        size -= written;
    }
}

void OutputFile::Commit(std::optional<uint64_t> modificationTime, std::optional<uint32_t> attributes) {
    HANDLE h = static_cast<HANDLE>(handle_);
    if (modificationTime) {
        FILETIME ft{static_cast<DWORD>(*modificationTime), static_cast<DWORD>(*modificationTime >> 32)};
        SetFileTime(h, nullptr, nullptr, &ft);
    }
    handle_ = nullptr;
    if (!CloseHandle(h)) ThrowWrite("cannot write", target_);
    // A read-only file being replaced would refuse the move.
    DWORD old = GetFileAttributesA(target_.c_str());
    if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(target_.c_str(), old & ~FILE_ATTRIBUTE_READONLY);
    if (!MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING)) ThrowWrite("cannot replace", target_);
    committed_ = true;
    if (attributes && (*attributes & kStoredAttributes))
        SetFileAttributesA(target_.c_str(), *attributes & kStoredAttributes);
}

}  // namespace keb
