#pragma once
#include <optional>
#include <string>

// What the apply session asks of the operating system besides the installer.
// Paths are ANSI texts with backslashes; the host side maps them onto POSIX
// paths so that the session logic runs unchanged in host tests.

bool FolderPresent(const std::string& folder);
// Creates the folder with its missing parents; true when it exists afterwards.
bool MakeFolderTree(const std::string& folder);
// The short (8.3) form of an existing path; nullopt when the system has none.
// Host paths have no short form: the host answers the path itself.
std::optional<std::string> ShortFormOf(const std::string& path);

// Creates or replaces the file with these bytes; false when it cannot.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
void RemoveFile(const std::string& path);

std::string CurrentFolder();
void ChangeCurrentFolder(const std::string& folder);

// The running account as DOMAIN\account.
std::string CurrentAccountName();
// Now, in the user's short date and long time format.
std::string LocalDateTimeText();
// The ANSI text as UTF-16LE bytes without a byte-order mark.
std::string Utf16LeFromAnsi(const std::string& text);

// Waits for the worker: processes one window message of the calling thread,
// or waits briefly for one when there is none.
void ProcessOneMessage();
// Wakes the thread that started the apply from its message wait.
void WakeApplyingThread();
// Remembers the calling thread as the one WakeApplyingThread wakes.
void RegisterApplyingThread();
