#include "system/HostShellFolders.h"
#include "system/ShellFolders.h"

HostShell& HostShellState() {
    static HostShell shell;
    return shell;
}

std::string ShellFolderPath(int csidl) {
    auto& folders = HostShellState().folders;
    auto it = folders.find(csidl);
    return it == folders.end() ? std::string() : it->second;
}

bool IsAdministrator() { return HostShellState().administrator; }
