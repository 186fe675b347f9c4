#include <windows.h>

#include "system/CurrentFolder.h"

std::string CurrentFolder() {
    const DWORD size = GetCurrentDirectoryA(0, nullptr);
    if (size == 0) return {};
    std::string folder(size, '\0');
    const DWORD length = GetCurrentDirectoryA(size, folder.data());
    if (length == 0 || length >= size) return {};
    folder.resize(length);
    return folder;
}

void ChangeCurrentFolder(const std::string& folder) { SetCurrentDirectoryA(folder.c_str()); }
