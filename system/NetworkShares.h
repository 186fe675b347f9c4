#pragma once
#include <string>

// Network shares of this computer, through the network management library
// of the system folder. False when the library refuses or is missing.

// A disk share of the folder, without a user limit; the other settings are the library's defaults.
bool CreateNetworkShare(const std::string& folder, const std::string& name, const std::string& remark);
bool DeleteNetworkShare(const std::string& name);
