#pragma once
// The web media archives of a project: each block "WebMedia = <name> |
// <folder>" becomes <name>.7zip in the output folder, holding the folder's
// files below a top folder named after the block (where the engine moves
// them: data folder + name). The media file map ("MediaFile" lines) must
// name files that the block's folder holds (BuildInputs, which the check
// reports first).
#include <string>

#include "tools/authoring/ProjectSource.h"

// Builds the archives with 7zz (with the media password when given) and
// returns the hash list the engine checks them against: one
// "<sha256 hex>  <name>.7zip" line per archive. Throws std::runtime_error for
// a missing folder, a map entry naming no file of its block, or a failed 7zz.
std::string BuildWebMediaArchives(const Project& project, const std::string& outputFolder,
                                  const std::string& password);
