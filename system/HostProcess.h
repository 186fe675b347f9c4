#pragma once
#include <string>

// Host side of the process service: tests set what the "process" reports.
struct HostProcess {
    std::string executablePath;
    std::string rawCommandLine;
    std::string temporaryFolder;
    std::string systemFolder;
    std::string windowsFolder;
    bool restrictedToFirstProcessor = false;
};

HostProcess& HostProcessState();
