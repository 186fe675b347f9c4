#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// One call of a plug-in library's entry
//   int32 __stdcall RunTimeExecute(int32 window, const char* variables,
//       const char* parameters, ProgressCallback progress, int32* reserved,
//       char* buffer)
// with the progress callback  int32 __stdcall (int32 position, const char* text).
// The entry is called with a null buffer for the length of its result text
// (-1: failure), then with a buffer of that length plus one byte (-1 again:
// failure, whatever the buffer holds).
struct PluginCall {
    std::string libraryPath;  // full path; nothing is looked up by name
    std::string variables;    // the comma text of all variables
    std::string parameters;   // the command's own parameter text
    uint32_t window = 0;      // the dialog on screen, 0 for none
    // Position and text the library reports; false asks it to stop.
    std::function<bool(int32_t position, const std::string& text)> progress;
};

// The result text, or nullopt when the library cannot be loaded, lacks the
// entry, returns -1 on either call or raises. Runs on the calling thread (a worker: the
// library may take its time); one call at a time.
std::optional<std::string> CallRunTimeExecute(const PluginCall& call);
