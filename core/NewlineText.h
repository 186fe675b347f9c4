#pragma once
// Line breaks in the engine's texts: kept as "$NEWLINE$" in variables and
// recorded values, written out as CR LF.
#include <string>

std::string NewlineToCrLf(const std::string& text);
std::string CrLfToNewline(const std::string& text);
