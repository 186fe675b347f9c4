#include "system/NeedsWindows.h"
#include "system/ProgramStart.h"

// The host starts no Windows programs.
int32_t RunShellProgram(const std::string&, const std::string&, bool, bool, std::function<void()>) {
    throw NeedsWindows("programs run only on Windows");
}
void FinishAfterEndTasks() {}
int32_t RunProgramAs(const RunAsRequest&) { throw NeedsWindows("programs run only on Windows"); }
bool StartDetached(const std::string&) { throw NeedsWindows("programs run only on Windows"); }
