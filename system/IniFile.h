#pragma once
#include <string>

// The value of a key in a section of an INI file, through the system's
// profile reader with a 260-byte buffer (longer values are cut to 259
// characters); empty when the file, section or key is missing.
std::string ReadIniValue(const std::string& file, const std::string& section, const std::string& key);
