#include <windows.h>

#include "bootstrap/kebstub.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // RunSetupEngine reports its own failures; this only keeps an exception
    // from ending the process without an exit code.
    try {
        return RunSetupEngine();
    } catch (...) {
        return 11;
    }
}
