#include <algorithm>

#include "system/ConsoleProgram.h"
#include "system/HostConsolePrograms.h"

HostConsolePrograms& HostConsoleProgramsState() {
    static HostConsolePrograms programs;
    return programs;
}

bool RunHiddenConsoleProgram(const std::string& program, const std::string& arguments) {
    auto& state = HostConsoleProgramsState();
    if (std::find(state.existing.begin(), state.existing.end(), program) == state.existing.end()) return false;
    state.ran.push_back(program + " " + arguments);
    return true;
}
