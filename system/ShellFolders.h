#pragma once
#include <string>

// Shell folder numbers (CSIDL values) the engine asks for.
enum ShellFolderId : int {
    kFolderDesktop = 0x00,
    kFolderPersonal = 0x05,  // My Documents
    kFolderCommonDesktop = 0x19,
    kFolderAppData = 0x1A,
    kFolderProgramFiles = 0x26,
    kFolderCommonFiles = 0x2B,
};

// The folder's path with a trailing backslash; empty when the shell has none.
std::string ShellFolderPath(int csidl);

// The application data folder the engine keeps its instances in: the parent
// of the (common, for all users) desktop folder followed by "Application Data\".
std::string AppDataFolder(bool allUsers);

// Membership of the built-in Administrators group in the process token.
bool IsAdministrator();
