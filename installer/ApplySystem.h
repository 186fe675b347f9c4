#pragma once
#include <string>

// What the apply session asks of the operating system besides the installer,
// the files service (system/Files.h), short paths (system/Paths.h) and the
// current folder (system/CurrentFolder.h). Paths
// are ANSI texts with backslashes; the host side maps them onto POSIX paths
// so that the session logic runs unchanged in host tests.

// Creates or replaces the file with these bytes; false when it cannot.
bool WriteWholeFile(const std::string& path, const std::string& bytes);

// The running account as DOMAIN\account.
std::string CurrentAccountName();
// Now, in the user's short date and long time format.
std::string LocalDateTimeText();
