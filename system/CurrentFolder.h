#pragma once
#include <string>

// The process's current folder. Paths are ANSI texts with backslashes; the
// host side maps them onto POSIX paths.
std::string CurrentFolder();  // empty when the system cannot say
void ChangeCurrentFolder(const std::string& folder);

// Moves the current folder for a scope (an empty folder leaves it where it
// is) and brings it back on every way out.
class CurrentFolderScope {
public:
    explicit CurrentFolderScope(const std::string& folder) : previous_(CurrentFolder()) {
        if (!folder.empty()) ChangeCurrentFolder(folder);
    }
    CurrentFolderScope(const CurrentFolderScope&) = delete;
    CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;
    ~CurrentFolderScope() {
        if (!previous_.empty()) ChangeCurrentFolder(previous_);
    }

private:
    std::string previous_;
};
