#include <windows.h>

#include "bootstrap/kebstub.h"
#include "core/StartupValues.h"
#include "system/LoadedLibrary.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything loads a library: a setup usually runs from a downloads
    // folder, where files named like system libraries may wait.
    RestrictLibrarySearch();
    // RunSetupEngine reports its own failures; this only keeps an exception
    // from ending the process without an exit code, and a deployment tool
    // from reading it as success.
    try {
        return RunSetupEngine();
    } catch (...) {
        return kRunFailedExitCode;
    }
}
