#pragma once
#include <optional>
#include <string>

// The name a directory search reports for the path's last component (its
// long name as stored); nullopt when nothing is found.
std::optional<std::string> FoundFileName(const std::string& path);
