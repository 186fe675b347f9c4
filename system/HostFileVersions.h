#pragma once
#include <map>
#include <string>

#include "system/FileVersion.h"

// Host side of file versions: the versions tests give files, by path.
std::map<std::string, FileVersionNumber>& HostFileVersions();
