#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace keb {

// The file system side of extraction, one implementation per platform.
// Paths are ANSI texts joined with kPathSeparator.

#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

struct ExistingItem {
    bool isFolder = false;
    uint64_t size = 0;
    uint64_t modificationTime = 0;  // FILETIME
};

// What lies at path, without following a final link; nothing when absent.
std::optional<ExistingItem> FindExisting(const std::string& path);

// Creates the folder (its parent must exist); an existing folder is fine,
// anything else there throws ArchiveError (write).
void CreateFolder(const std::string& path);
// Creates the folder only when nothing is at path yet; false when something is.
// Other failures throw ArchiveError (write).
bool CreateNewFolder(const std::string& path);
// Removes the folder when it is empty; anything left in it stays.
void RemoveEmptyFolder(const std::string& path);

// Two names with the same key name the same file in one folder: the names
// themselves where the file system tells letter case apart, their upper
// case where it does not (Windows).
std::string FileSystemNameKey(const std::string& name);

// A file being written under a temporary name (a new file, which must not
// exist) before it becomes its target. Commit moves it onto the target;
// without Commit the destructor deletes it, so a failed file never looks
// complete.
class OutputFile {
public:
    OutputFile(const std::string& targetPath, const std::string& temporaryPath);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

#if !__cpp_exceptions
    // Closes and deletes every file still being written. A failure in a build
    // without exceptions ends the program, and no destructor runs there.
    static void AbandonAll();
#endif

    void Write(const uint8_t* data, size_t size);
    // Closes, stamps the modification time and attributes when given and
    // replaces the target.
    void Commit(std::optional<uint64_t> modificationTime, std::optional<uint32_t> attributes);

private:
    void Discard();

    std::string target_;
    std::string temporary_;
    void* handle_ = nullptr;
    bool committed_ = false;
};

}  // namespace keb
