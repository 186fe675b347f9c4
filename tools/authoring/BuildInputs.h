#pragma once
#include <string>
#include <vector>

#include "tools/authoring/ProjectSource.h"

// What `orvanta build` reads from a project besides its script, forms and
// translations: the package source, the icon, the version, the web media
// folders and their file map, the plug-in libraries. The check reports every
// one build would refuse, at the line of the project value that names it, so
// that a project the check passes does not fail half-way through its build.

// "file:line: text" for each input build would refuse.
std::vector<std::string> BuildInputFindings(const Project& project);
// The web media part alone: a WebMedia folder that is not there, a MediaFile
// naming no file of its block.
std::vector<std::string> WebMediaFindings(const Project& project);

// The product version of the setup's version resource: the project's
// Version, else the Version of the .wxs package source, else "0.0.0.0".
std::string SetupProductVersion(const Project& project);
