#pragma once
#include <optional>
#include <string>

// Creates a new, empty, uniquely named file "<prefix>XXXX.tmp" (four
// hexadecimal digits) in the folder and returns its full path; nullopt when
// no file can be created there.
std::optional<std::string> CreateTempFileIn(const std::string& folder, const std::string& prefix);
