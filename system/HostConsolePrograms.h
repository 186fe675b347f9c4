#pragma once
#include <string>
#include <vector>

// Host side of console programs: the command lines that would have run.
// Programs listed in existing start; the others cannot be found.
struct HostConsolePrograms {
    std::vector<std::string> existing;
    std::vector<std::string> ran;  // program + " " + arguments
};

HostConsolePrograms& HostConsoleProgramsState();
