#pragma once
#include <string>

// Runs a console program in a new console with a hidden window and waits
// without limit until it ends. The command line is the program in double
// quotes followed by the arguments. False when it cannot be started.
bool RunHiddenConsoleProgram(const std::string& program, const std::string& arguments);
