#include "system/FolderDialog.h"

// No one to ask on the host: the dialog is cancelled.
std::optional<std::string> BrowseForFolder(WindowHandle, const std::string&) { return std::nullopt; }
