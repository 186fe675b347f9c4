#pragma once
// What the self-extracting launcher reads from its command line and hands to
// the engine it unpacks; portable, so the host tests check it.
#include <string>
#include <vector>

struct LaunchCommand {
    std::string arguments;  // everything after the program's own name, as given
    bool silent = false;    // "/s" or "-s" among them: no window at all
};

// Splits a process's command line the way Windows reads a program's name: a
// quoted name up to its closing quote, else up to the first blank.
LaunchCommand ParseLaunchCommand(const std::string& commandLine);

// `"<engine>" /l="<launcher>" <arguments>`: the engine learns the launcher's
// path (its SFXPATH, where web media archives are looked for beside it).
std::string EngineCommandLine(const std::string& enginePath, const std::string& launcherPath,
                              const std::string& arguments);

// The engine among the archive's entry names: the one ".exe" at its top level;
// empty when there is none or more than one.
std::string EngineEntry(const std::vector<std::string>& names);
