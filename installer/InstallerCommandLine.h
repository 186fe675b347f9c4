#pragma once
#include <string>
#include <utility>
#include <vector>

// What the apply thread hands the Windows Installer: the folders it derives
// from the request and the command lines (or session properties) of each mode.

struct InstallerSources {
    std::string packageFolder;  // P, short form where the system gives one
    std::string dataFolder;     // D
    std::string mediaPath;      // M: the parent of D without its drive
    std::string sourceList;     // S: D;P, quoted when either folder needs it
    bool quotePackage = false;  // P has no blank-free short form
    bool quoteData = false;     // D (or the patch source) has no blank-free short form
};

// Parent folder of a data folder, with trailing backslash and without its
// drive or network share: C:\SETUP~1\data\ gives \SETUP~1\.
std::string MediaPathOf(const std::string& dataFolder);
// D;P, enclosed in double quotes when either quote flag is set or either
// folder holds a blank.
std::string SourceListOf(const InstallerSources& sources);
// The text in double quotes when quote is set or it holds a blank.
std::string QuotedIf(const std::string& text, bool quote);

// "ALLUSERS=1 " for an all-users installation, else ALLUSERS="" with a blank.
std::string AllUsersArgument(bool allUsers);

// The command line of MsiInstallProductA: a reinstall when the product is
// installed already, else an advertisement or a first installation.
std::string InstallCommandLine(const InstallerSources& sources, bool allUsers, bool installed, bool advertise);
// The command line of MsiApplyPatchA.
std::string PatchCommandLine(const std::string& patchSource, bool quoteData, bool allUsers);
// The session properties, in order, of a removal through MsiOpenPackageA.
std::vector<std::pair<std::string, std::string>> RemoveProperties(const InstallerSources& sources, bool allUsers);
