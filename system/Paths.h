#pragma once
#include <optional>
#include <string>

// The short (8.3) form of an existing path; nullopt when the system cannot
// give one. Host paths have no short form: the host answers the path itself.
std::optional<std::string> ShortPathName(const std::string& path);
