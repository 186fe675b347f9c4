#pragma once
#include <optional>
#include <string>
#include <vector>

namespace keb {

// The folder names and file name of an entry, or nothing when the name is
// unsafe to write below a destination: absolute, with a drive or stream
// colon, climbing with "..", naming a device (CON, NUL, COM1...), or holding
// characters Windows refuses in names.
std::optional<std::vector<std::string>> SafePathComponents(const std::string& entryName);

}  // namespace keb
