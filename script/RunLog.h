#pragma once
// The log a silent run writes where nobody sees a message box: the file given
// with "/m=", which the installer also writes (UTF-16LE).
#include <string>

// Appends "Orvanta: <line>" to the log given on the command line; nothing
// when none was given.
void AppendToRunLog(const std::string& line);
