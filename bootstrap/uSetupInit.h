#pragma once
// uSetupInit: start-up preparation: the temporary folder, keb.dll and the
// support folder keb<N> with the unpacked support archive.
#include <stdexcept>
#include <string>

#include "script/Payload.h"
#include "core/StartupValues.h"
#include "system/FileVersion.h"

// The pieces of start-up that prepare files and folders.

// A start-up step that cannot go on; the text says what is wrong.
class StartupError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Exe folder, setup name and resource archive from the engine's own path.
void SetEnginePaths(StartupValues& values, const std::string& exePath);

// Stores the system temporary folder and creates it with its parents; false
// when there is none or it cannot be created.
bool PrepareTemporaryFolder(StartupValues& values, const std::string& systemTemp);

// Loads the library by its full path and reads the engine message file
// appended to it, read in place. False when the
// library cannot be loaded; a library without appended data keeps the
// built-in texts.
bool LoadEngineMessages(const std::string& libraryPath);

// Common controls older than 4.72 cannot show the setup's windows.
bool CommonControlsOutdated(FileVersionNumber version);

// The payload appended to the engine. Raises PayloadError or StartupError
// when it cannot be read or is not text.
Payload ReadSetupPayload(const std::string& exePath, uint64_t appendedOffset, uint64_t appendedLength);

// Creates temp folder + "keb" + N for the first N whose folder did not exist
// yet and returns it with a trailing backslash. Creating is the test, so two
// setups started at once never share a folder.
std::string CreateSupportFolder(const std::string& tempFolder);

// Deletes the folder's contents in three passes, then the folder; links inside
// are removed, never followed.
void RemoveSupportFolder(const std::string& folder);
