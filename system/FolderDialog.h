#pragma once
#include <optional>
#include <string>

#include "system/MessageBox.h"

// The system's folder-selection dialog; nullopt when the user cancels. The
// chosen folder is returned without a trailing backslash.
std::optional<std::string> BrowseForFolder(WindowHandle owner, const std::string& title);
