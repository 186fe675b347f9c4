#pragma once
#include <string>

// How this run relates to earlier installations of the same product: first
// installation, maintenance of the installed package, upgrade from another
// package, or a patch. Session start calls these in its order.

// "instance.dat" beside the engine replaces the payload's product code,
// revision code and title; then PRODUCTCODE, REVISIONCODE, UNINSTALLLINK,
// DATADIR (media mode 2 moves the data folder into the instance folder),
// NEEDSUPGRADE, MAINTENANCE, the components and recorded properties of the
// installed instance (or a fresh component list), and NEWINSTANCE.
void LoadInstanceState(const std::string& msiPath);

// The default target folder: program files (administrators) or the parent
// of the documents folder, followed by the title and a backslash.
std::string DefaultTargetFolder();

// The patch file session start falls back to when the package is missing.
std::string PatchPathFor(const std::string& msiPath);

// With a patch beside the engine: the components and recorded properties of
// the installed revision, found through the product's uninstall command.
void LoadPatchedInstance(const std::string& msiPath);

// The instance name: the MSI's file name without its extension.
std::string InstanceName(const std::string& msiPath);

// The instance folder of the MSI: per-user application data + REVISIONCODE,
// or the all-users form when no per-user ".dat" exists there.
std::string FindInstanceFolder(const std::string& msiPath);

// UNINSTALLLINK as it stands now (refreshed before every command).
std::string CurrentUninstallLink();
