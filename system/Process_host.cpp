#include "system/HostProcess.h"
#include "system/Process.h"

HostProcess& HostProcessState() {
    static HostProcess state;
    return state;
}

void RestrictToFirstProcessor() { HostProcessState().restrictedToFirstProcessor = true; }
std::string ExecutablePath() { return HostProcessState().executablePath; }
std::string RawCommandLine() { return HostProcessState().rawCommandLine; }
std::string TemporaryFolder() { return HostProcessState().temporaryFolder; }
std::string SystemFolder() { return HostProcessState().systemFolder; }
std::string WindowsFolder() { return HostProcessState().windowsFolder; }
