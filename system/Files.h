#pragma once
#include <optional>
#include <string>
#include <vector>

// Files and folders as the engine uses them. Paths are ANSI texts with
// backslashes; the host side maps them onto POSIX paths.

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);

// Names of the files (not folders) in the folder whose name starts with the
// prefix, compared without letter case, in the order the system lists them.
std::vector<std::string> FileNamesStartingWith(const std::string& folder, const std::string& prefix);

// Creates a folder with all missing parents; true when it exists afterwards.
bool CreateFolderTree(const std::string& path);

// Creates one folder that must not exist yet. AlreadyExists also covers a
// file of that name: either way the name is taken.
enum class NewFolderResult { Created, AlreadyExists, Failed };
NewFolderResult CreateNewFolder(const std::string& path);

// Copies a file, replacing the target.
bool CopyFileOver(const std::string& from, const std::string& to);
// Copies a file to a name nothing holds yet; false when a file, folder or
// link (even one pointing nowhere) has that name.
bool CopyFileToNewName(const std::string& from, const std::string& to);
// Clears read-only, hidden and system attributes.
bool SetNormalAttributes(const std::string& path);
bool DeleteFileAt(const std::string& path);

// Whether the entry itself is a link: a symbolic link, junction or other
// reparse point.
bool IsLink(const std::string& path);
// Removes a link itself, never what it points to; false when the path is no
// link or it cannot be removed.
bool RemoveLink(const std::string& path);

// Makes the folder one the engine may write into and later delete: an
// existing real folder is kept; a link of that name is removed (never what it
// points to) and a real folder created in its place. False when the folder
// cannot be made, or a file holds its name.
bool CreateOwnedFolder(const std::string& path);

// One clean-up pass over a folder: clears attributes, deletes every file and
// every subfolder after its contents. A link or junction is removed itself and
// never followed, so nothing outside the folder is touched; a folder that is
// itself a link is not entered at all.
void DeleteFolderContents(const std::string& folder);
// Removes an empty folder.
bool RemoveFolder(const std::string& folder);

// Renames a folder (or file); false when the new name is taken or the move fails.
bool MoveFolder(const std::string& from, const std::string& to);
// Asks the system to delete a file or an empty folder at the next restart.
bool ScheduleDeleteAtRestart(const std::string& path);
// Queues every entry left in the folder (subfolders after their contents,
// links themselves without following them) and then the folder itself; a
// folder that is itself a link is queued alone.
bool ScheduleFolderDeleteAtRestart(const std::string& folder);
// The whole content of a file; nullopt when it cannot be read.
std::optional<std::string> ReadFileText(const std::string& path);
// Writes the bytes to a file, replacing it; false on failure.
bool WriteFileText(const std::string& path, const std::string& bytes);
