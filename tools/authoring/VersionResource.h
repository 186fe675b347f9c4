#pragma once
#include <string>

// The texts of a setup's version resource, as Explorer shows them in the
// file's properties. Texts are ANSI (Windows-1252), as the project's are.
struct VersionTexts {
    std::string productName;
    std::string companyName;
    std::string fileDescription;
    std::string productVersion;    // "1.2.3.4"; missing parts are 0
    std::string originalFilename;  // "setup.exe"
};

// A VS_VERSIONINFO block (US English, Unicode strings) with the version as
// both file and product version. Throws std::runtime_error when the version
// is not one to four numbers of 0 to 65535 separated by dots.
std::string BuildVersionResource(const VersionTexts& texts);
