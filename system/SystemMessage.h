#pragma once
#include <string>

// The system's message text for an error code (FormatMessageA on Windows),
// empty when the system has none.
std::string SystemMessageText(unsigned code);
