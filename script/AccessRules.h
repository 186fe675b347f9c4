#pragma once
#include <optional>
#include <string>

#include "system/AccessControl.h"

// What "Set Access Control" asks for, in the terms of its switches, and the
// access-list change that follows from it.
struct AccessRequest {
    // The object kinds asked for, in the order they are tried: files and
    // folders, shares, registry keys, services, printers. The last one wins.
    bool fileOrFolder = false, share = false, registryKey = false, service = false, printer = false;
    // The accounts, in the order they are set.
    bool everyone = false, currentUser = false, authenticatedUsers = false, named = false;
    std::string accountName;
    bool read = false, full = false;  // read first, then full: full wins
    bool grant = false, emptyList = false, removeList = false;  // tried in this order
    bool ntFamily = true;
};

std::optional<SecuredObjectKind> RequestedObjectKind(const AccessRequest& request);

// The entries one account gets at a level: Windows NT masks by object kind
// (read and execute or full control, inherited by files and subfolders;
// printers: print, or manage printer and manage documents), the Windows 9x
// masks for every kind.
std::vector<AllowedEntry> AccessEntries(SecuredObjectKind kind, bool full, bool ntFamily);

// nullopt when the request changes nothing.
std::optional<AccessListChange> AccessChangeFor(const AccessRequest& request, SecuredObjectKind kind);

// A registry key as a script names it ("HKEY_LOCAL_MACHINE\Software\X" or
// "HKLM\Software\X") in the security API's form ("MACHINE\Software\X").
// Names with another root stay as they are.
std::string SecurityRegistryKeyName(const std::string& key);
