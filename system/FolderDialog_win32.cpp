#include <windows.h>
#include <shlobj.h>

#include "system/FolderDialog.h"

std::optional<std::string> BrowseForFolder(WindowHandle owner, const std::string& title) {
    BROWSEINFOA info{};
    info.hwndOwner = reinterpret_cast<HWND>(owner);
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    if (!chosen) return std::nullopt;
    char path[MAX_PATH];
    const bool ok = SHGetPathFromIDListA(chosen, path);
    CoTaskMemFree(chosen);
    if (!ok) return std::nullopt;
    return std::string(path);
}
