#pragma once
#include <filesystem>
#include <set>
#include <string>

// Turns a finished setup folder into one file, `<setup>.exe`: the launcher
// image with the folder packed as a 7z archive appended to it. The files
// named in `separate` (the web media archives, downloaded or put beside the
// setup) stay beside it.
void MakeSingleFileSetup(const std::filesystem::path& folder, const std::string& setupName,
                         const std::string& launcherImage, const std::set<std::string>& separate);
