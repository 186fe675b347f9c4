#pragma once
#include <map>
#include <string>

// Host side of the shell folders and the account: values tests set.
struct HostShell {
    std::map<int, std::string> folders;  // CSIDL -> path with trailing backslash
    bool administrator = true;
};

HostShell& HostShellState();
