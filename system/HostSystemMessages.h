#pragma once
#include <map>
#include <string>

// Host side of the system message texts: Linux has no table of Windows
// error texts, so tests put in the texts they need.
std::map<unsigned, std::string>& HostSystemMessages();
