#pragma once
#include <string>

// The running process as start-up sees it.

// Keeps the process on the first processor.
void RestrictToFirstProcessor();
// Full path of the running executable.
std::string ExecutablePath();
// The command line exactly as the process received it.
std::string RawCommandLine();
// The system temporary path with a trailing backslash; empty when the system
// gives none that fits the classic path length.
std::string TemporaryFolder();
// The system folder (where comctl32.dll lives), with a trailing backslash.
std::string SystemFolder();
// The Windows folder, with a trailing backslash.
std::string WindowsFolder();
