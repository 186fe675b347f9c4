#include <filesystem>

#include "system/CurrentFolder.h"

std::string CurrentFolder() {
    std::error_code error;
    return std::filesystem::current_path(error).string();
}

void ChangeCurrentFolder(const std::string& folder) {
    std::string hostPath = folder;
    for (char& c : hostPath)
        if (c == '\\') c = '/';
    std::error_code error;
    std::filesystem::current_path(hostPath, error);
}
