#pragma once
#include <string>
#include <vector>

// The entries of a folder that match a pattern (folder + mask with * and ?,
// letter case ignored), in the order the system lists them, without "." and
// "..".
struct DirectoryEntry {
    std::string name;
    bool folder = false;
};
std::vector<DirectoryEntry> ListDirectory(const std::string& pattern);

// The root of the first CD-ROM drive from A to Z ("D:\\"); empty when none.
std::string FirstCdromDrive();
