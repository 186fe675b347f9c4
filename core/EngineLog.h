#pragma once
#include <string>

// The log named by "/m=" (the installer's log file, UTF-16LE as the installer
// writes it): a line joins whatever is there. Nothing without "/m=".
void AppendToEngineLog(const std::string& line);
