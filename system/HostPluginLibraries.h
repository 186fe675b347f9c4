#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "system/PluginLibrary.h"

// Host side of the plug-in libraries: tests map a library path to what its
// entry does; an unmapped path fails like a library that cannot be loaded.
using HostPluginEntry = std::function<std::optional<std::string>(const PluginCall&)>;
std::map<std::string, HostPluginEntry>& HostPluginLibraries();
