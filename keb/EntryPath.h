#pragma once
#include <optional>
#include <string>
#include <vector>

namespace keb {

// The folder names and file name of an entry below a destination, or nothing
// when the name is unsafe: absolute, with a drive or stream colon, climbing
// with "..", naming a device (CON, NUL, COM1...), or holding characters
// Windows refuses in names. Harmless habits of archive writers are undone:
// "." parts and empty parts (leading "./", doubled or trailing separators)
// are dropped, so a name of only such parts gives no components (the
// destination itself), and a trailing dot or blank, which Windows would
// strip, becomes "_".
std::optional<std::vector<std::string>> SafePathComponents(const std::string& entryName);

}  // namespace keb
