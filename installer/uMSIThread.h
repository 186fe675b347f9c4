#pragma once
// uMSIThread: the apply thread, which runs the Windows Installer for the
// recorded changes while the dialog on screen stays alive.
#include <atomic>
#include <functional>
#include <string>

#include "installer/InstallerCommandLine.h"
#include "installer/InstallerResult.h"

// ApplyChanges on the main thread runs a TMSIThread on the one worker loop
// (core/WorkerPolling), which keeps the user interface alive (or, in silent
// mode, simply waits) until the worker is done. Everything it works from
// comes in the request, gathered by the command that applies the changes.

struct ApplyRequest {
    bool patchMode = false;          // apply the patch package instead of the product package
    std::string package;             // working copy of the ".msi", or the ".msp" in patch mode
    std::string workingFile;         // the current folder moves to its folder meanwhile; may be empty
    bool advertise = false;          // advertise instead of install (implies install)
    bool install = true;             // false: remove the product
    std::string productCode;
    std::string propertiesText;      // the recorded (name, value) pairs as one comma text
    std::string variablesText;       // the variable store as one comma text
    // Expands the references in a recorded value as the property file
    // receives it (the variable store's path expansion).
    std::function<std::string(const std::string&)> expandValue = [](const std::string& value) { return value; };
    std::string dataFolder;          // DATADIR, with trailing backslash
    std::string patchSourceFolder;   // folder a patch is applied from
    std::string tempFolder;          // where the property file goes (MSINTEMP)
    std::string logFile;             // installer log requested on the command line, or empty
    bool silent = false;             // wait without processing window messages
};

struct ApplyOutcome {
    ApplyResult result = kApplyFailed;
    std::string errorText;
};

ApplyOutcome ApplyChanges(const ApplyRequest& request);

// Flags of the running apply: each has one writer. The error text is written
// by the worker and read by the caller once the worker has ended.
struct ApplyState {
    std::atomic<bool> cancelled{false};
    std::atomic<bool> failed{false};
    std::atomic<bool> reboot{false};
    std::string errorText;
};

// The worker's job: writes the property file and the pending installer
// properties, runs the installer for the request, and records every failure
// in the state (nothing escapes Execute).
class TMSIThread {
public:
    TMSIThread(const ApplyRequest& request, ApplyState& state);
    TMSIThread(const TMSIThread&) = delete;
    TMSIThread& operator=(const TMSIThread&) = delete;

    void Execute() noexcept;

private:
    void Run();
    InstallerSources ComputeSources();
    void RunInstaller(const InstallerSources& sources, bool allUsers, int productState);
    void WriteLogHeader(const InstallerSources& sources);

    ApplyRequest request_;
    ApplyState& state_;
};
