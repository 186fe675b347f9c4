#pragma once
#include <string>
#include <string_view>

// The parts of a Windows path that "Extract Path" selects: 0 file name,
// 1 file name without its extension, 2 extension without the dot, 3 folder,
// 4 parent folder, 5 drive (or \\server\share), 6 the whole path with every
// doubled backslash folded. Folders and drives end with a backslash unless
// empty; other part numbers give the path unchanged.
std::string PathPart(const std::string& path, int part);

// The engine's one path vocabulary, with two readings of where a folder ends.

// A file path on either side, split at the last "\" or "/" (host paths use
// "/"): the folder up to and with that separator, or empty; the name after it.
std::string FolderOf(std::string_view path);
std::string FileNameOf(std::string_view path);

// A path as the script's path commands read it, split at the last "\" or a
// drive's ":" ("C:setup.exe" names setup.exe on drive C:); "/" is part of
// the name.
std::string FileNameOfScriptPath(const std::string& path);   // after the last "\" or ":"
std::string FolderOfScriptPath(const std::string& path);     // up to and with the last "\" or ":"
std::string ExtensionOfScriptPath(const std::string& path);  // from the last "." of the file name, or ""
std::string DriveOfScriptPath(const std::string& path);      // "C:" or "\\server\share", or ""
