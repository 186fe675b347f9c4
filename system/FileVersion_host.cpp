#include "system/FileVersion.h"

// Host files carry no version resources.
FileVersionNumber ReadFileVersion(const std::string&) { return {}; }
