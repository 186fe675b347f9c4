#pragma once
#include <cstdint>
#include <string>

#include "system/SystemFacts.h"

// The answers of "Get System Settings": setting numbers 0..64, yes/no
// answers as "TRUE"/"FALSE". Numbers outside the range answer the empty text.
std::string SystemSetting(int number);

// The rules the answers follow, on the facts the machine reports.

// Physical memory of at least this many megabytes, less a 2 MB allowance
// (machines report a little less than they hold), in 64-bit bytes.
bool MemoryAtLeast(uint64_t totalBytes, unsigned megabytes);
// A screen of at least width x height, in either orientation.
bool ScreenAtLeast(const ScreenFacts& screen, int width, int height);
// System version at least major.minor; Windows 98 Second Edition (4.10 with
// build 2222 or later) counts as 4.11.
bool OsVersionAtLeast(const OsVersion& version, unsigned major, unsigned minor);
// The number of a "Service Pack N" text, 0 for other texts; a ScriptError
// when its last character is not a digit.
int ServicePackNumber(const std::string& servicePack);
