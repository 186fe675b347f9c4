#pragma once
#include <string>

// The parts of a Windows path that "Extract Path" selects: 0 file name,
// 1 file name without its extension, 2 extension without the dot, 3 folder,
// 4 parent folder, 5 drive (or \\server\share), 6 the whole path with every
// doubled backslash folded. Folders and drives end with a backslash unless
// empty; other part numbers give the path unchanged.
std::string PathPart(const std::string& path, int part);

std::string FileNameOfPath(const std::string& path);    // after the last "\" or ":"
std::string FolderOfPath(const std::string& path);      // up to and with the last "\" or ":"
std::string ExtensionOfPath(const std::string& path);   // from the last "." of the file name, or ""
std::string DriveOfPath(const std::string& path);       // "C:" or "\\server\share", or ""
