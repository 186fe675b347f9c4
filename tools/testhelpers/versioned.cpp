// A library that only carries a known version resource (versioned.rc), for
// the file version commands.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
