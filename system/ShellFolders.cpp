#include "system/ShellFolders.h"

std::string AppDataFolder(bool allUsers) {
    std::string desktop = ShellFolderPath(allUsers ? kFolderCommonDesktop : kFolderDesktop);
    if (desktop.empty()) return {};
    desktop.pop_back();  // trailing backslash
    const size_t slash = desktop.find_last_of('\\');
    if (slash == std::string::npos) return {};
    return desktop.substr(0, slash + 1) + "Application Data\\";
}
