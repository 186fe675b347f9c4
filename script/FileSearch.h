#pragma once
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

// The file search of "Find All Files", shared between the script thread and
// the worker that searches.
struct FileSearchState {
    std::atomic<bool> stopRequested{false};
    std::mutex lock;       // guards the two below
    int progress = 0;      // cycles 0..100, one step per folder visited
    std::string lastFound;
};

// Every file matching the mask of path (folder + "\\" + mask) in the folder
// and, with recurse, below it: each subfolder's matches come before the
// subfolder itself (listed when folders is set), the folder's own files
// last. Stops early at a stop request, keeping what was found.
std::vector<std::string> SearchFiles(const std::string& path, bool recurse, bool folders, FileSearchState& state);

// The entries joined by "|"; an entry holding a blank, a control character,
// a double quote or "|" is enclosed in double quotes, inner quotes doubled.
std::string JoinFileList(const std::vector<std::string>& entries);
