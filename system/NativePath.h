#pragma once
#include <string>

// An engine path (backslashes) in the form the C and C++ file functions of
// the running system take: unchanged on Windows, slashes on the host.
std::string NativePath(const std::string& path);
