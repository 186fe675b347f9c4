#pragma once
#include <string>

// Registers or unregisters a COM server or type library by its extension
// (letter case ignored): ".tlb" through the type-library calls (the help
// folder is the folder of the library's help file), ".exe" by starting it
// with " /regserver" or " /unregserver" (true once it started; nobody waits),
// any other file as a library through DllRegisterServer or
// DllUnregisterServer (true when the entry returns 0; the library then stays
// loaded for the rest of the run). Never throws: a failure is false.
bool RegisterComFile(const std::string& path, bool registering);
