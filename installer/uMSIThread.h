#pragma once
#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "installer/InstallerCommandLine.h"
#include "installer/InstallerResult.h"

// Running the Windows Installer for the recorded changes: ApplyChanges on the
// main thread starts a TMSIThread and keeps the user interface alive (or, in
// silent mode, simply waits) until the worker reports its result.

struct ApplyRequest {
    bool patchMode = false;          // apply the patch package instead of the product package
    std::string package;             // working copy of the ".msi", or the ".msp" in patch mode
    std::string workingFile;         // the current folder moves to its folder meanwhile; may be empty
    bool advertise = false;          // advertise instead of install (implies install)
    bool install = true;             // false: remove the product
    std::string productCode;
    std::string propertiesText;      // the recorded (name, value) pairs as one comma text
    std::string variablesText;       // the variable store as one comma text
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
// by the worker before it sets done and read by the caller after.
struct ApplyState {
    std::atomic<bool> done{false};
    std::atomic<bool> cancelled{false};
    std::atomic<bool> failed{false};
    std::atomic<bool> reboot{false};
    std::string errorText;
};

// The worker: writes the property file and the pending installer properties,
// runs the installer for the request, and sets done on every way out.
class TMSIThread {
public:
    TMSIThread(const ApplyRequest& request, ApplyState& state);
    TMSIThread(const TMSIThread&) = delete;
    TMSIThread& operator=(const TMSIThread&) = delete;
    ~TMSIThread();

    void Wait();

private:
    void Execute() noexcept;
    void Run();
    InstallerSources ComputeSources();
    void RunInstaller(const InstallerSources& sources, bool allUsers, int productState);
    void WriteLogHeader(const InstallerSources& sources);

    ApplyRequest request_;
    ApplyState& state_;
    std::thread thread_;
};
