#pragma once
#include <string>
#include <utility>
#include <vector>

#include "core/ProjectValues.h"

// Process-wide values fixed by start-up and read by the rest of the engine.
// Every folder text ends with a backslash.
struct StartupValues {
    std::string exePath;           // full path of the running engine
    std::string exeFolder;
    std::string setupName;         // engine file name without extension
    std::string tempFolder;
    std::string supportFolder;     // temp folder + "keb" + N + "\"
    std::string dataFolder;        // exe folder + "data\"
    std::string mediaSourceFolder; // where web media blocks are found (media mode 2), else empty
    std::string resourceArchive;   // exe folder + setup name + ".res"
    std::string commandLineRest;
    bool silent = false;
    std::string logFile;
    std::string launcherPath;
    std::string installedSetupFolder;
    std::string mediaPassword;
    std::vector<std::pair<std::string, std::string>> overrides;  // NAME=value arguments, as typed
    int exitCode = 0;
    bool exitCodeSetByScript = false;  // "Terminate with Exit Code" ran: its code wins over a failure's
};

// The exit codes the engine itself ends with (the script may set any other).
inline constexpr int kStartupFailureExitCode = 11;  // start-up failed before or around the script
// The script ended because of an error: the installer's "fatal error during
// installation", so deployment tools read it as a failure.
inline constexpr int kRunFailedExitCode = 1603;

StartupValues& Startup();

// The project values read from the payload.
ProjectValues& Project();
