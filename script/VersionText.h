#pragma once
#include <string>

#include "system/FileVersion.h"

// File versions as scripts write and compare them.

// "1.2.3.4".
std::string VersionText(const FileVersionNumber& version);
// A dotted version text: the first part must be a number (else a ScriptError),
// later parts that are none count as 0, missing parts are 0.
FileVersionNumber ParseVersionText(std::string text);
// Component by component, unsigned: negative, zero or positive.
int CompareVersions(const FileVersionNumber& a, const FileVersionNumber& b);
