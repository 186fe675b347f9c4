#pragma once
#include <string>

// The file version from a file's version resource (fixed file information).
struct FileVersionNumber {
    unsigned major = 0;  // high word of the most significant version word
    unsigned minor = 0;  // its low word
    unsigned build = 0;     // high word of the least significant version word
    unsigned revision = 0;  // its low word
};

// 0.0.0.0 when the file has no version information.
FileVersionNumber ReadFileVersion(const std::string& path);
