#include <windows.h>

#include "system/DirectoryListing.h"

std::vector<DirectoryEntry> ListDirectory(const std::string& pattern) {
    std::vector<DirectoryEntry> entries;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return entries;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return entries;
}

std::string FirstCdromDrive() {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string root = std::string(1, letter) + ":\\";
        if (GetDriveTypeA(root.c_str()) == DRIVE_CDROM) return root;
    }
    return {};
}
