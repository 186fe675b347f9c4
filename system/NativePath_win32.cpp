#include "system/NativePath.h"

std::string NativePath(const std::string& path) { return path; }
