#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "core/StartupValues.h"

// The process command line as the engine reads it.

// Splits a raw command line into the program part and its arguments: blanks
// (and control characters) separate them, double quotes group and are removed.
std::vector<std::string> SplitArguments(std::string_view rawCommandLine);

// The raw command line without the program part: after a quoted program
// path, everything from the second character after its closing quote; after
// an unquoted one, everything after the first blank; otherwise empty.
std::string CommandLineRest(std::string_view rawCommandLine);

// Sets the command-line rest, the switches (/s, /m=, /l=, /p=, /k=) and the
// NAME=value overrides in the start-up values.
void EvaluateCommandLine(std::string_view rawCommandLine, StartupValues& values);
