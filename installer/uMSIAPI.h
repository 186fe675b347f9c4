#pragma once
// uMSIAPI: the calls into msi.dll (loaded by full path) that the engine makes.
#include <cstdint>
#include <string>

// The Windows Installer functions the engine uses, behind one interface so
// that the session logic runs unchanged against msi.dll in the engine and
// against a scripted double in host tests. In the engine msi.dll is loaded
// from the system folder at the first call and each function is bound by
// name at its first use; a missing library or function throws ScriptError
// with "Library not found: msi.dll" or "Function not found: msi.dll.NAME".

using MsiHandle = uint32_t;  // an MSIHANDLE, 0 for none

// Receives the installer's external user-interface messages.
class InstallerMessageSink {
public:
    virtual ~InstallerMessageSink() = default;
    // Returns the answer the installer expects (IDOK, IDCANCEL, 0, ...).
    // Initialize and terminate messages arrive without their text.
    virtual int OnInstallerMessage(unsigned type, const std::string& message) = 0;
};

// Installer codes and constants the engine relies on.
enum : unsigned {
    kMsiSuccess = 0,
    kMsiNoMoreItems = 259,
    kMsiUserExit = 1602,
    kMsiRebootInitiated = 1641,
    kMsiRebootRequired = 3010,
};
enum : int {
    kMsiStateInstalled = 5,      // INSTALLSTATE_DEFAULT
    kMsiOpenDirect = 2,          // MSIDBOPEN_DIRECT
    kMsiModifyUpdate = 2,        // MSIMODIFY_UPDATE
    kMsiRunModeRebootAtEnd = 6,  // MSIRUNMODE_REBOOTATEND
    kMsiRunModeRebootNow = 7,    // MSIRUNMODE_REBOOTNOW
};

class MsiApi {
public:
    virtual ~MsiApi() = default;

    virtual int QueryProductState(const std::string& productCode) = 0;
    // Fills value and returns 0, or returns the installer's error code.
    virtual unsigned GetProductInfo(const std::string& productCode, const std::string& property,
                                    std::string& value) = 0;

    virtual unsigned EnableLog(unsigned mode, const std::string& logFile, unsigned attributes) = 0;
    // No owner window is passed.
    virtual int SetInternalUI(int level) = 0;
    // sink may be null to remove the handler; the sink outlives the run.
    virtual void SetExternalUI(InstallerMessageSink* sink, unsigned filter) = 0;
    virtual unsigned InstallProduct(const std::string& package, const std::string& commandLine) = 0;
    // No install package, the default install type.
    virtual unsigned ApplyPatch(const std::string& patch, const std::string& commandLine) = 0;
    // An empty user name registers the source without one.
    virtual unsigned SourceListAddSource(const std::string& productCode, const std::string& userName,
                                         const std::string& source) = 0;

    virtual unsigned OpenPackage(const std::string& package, MsiHandle& session) = 0;
    virtual unsigned SetProperty(MsiHandle session, const std::string& name, const std::string& value) = 0;
    virtual unsigned DoAction(MsiHandle session, const std::string& action) = 0;
    virtual bool GetMode(MsiHandle session, int runMode) = 0;

    virtual unsigned OpenDatabase(const std::string& path, int persist, MsiHandle& database) = 0;
    virtual unsigned OpenView(MsiHandle database, const std::string& query, MsiHandle& view) = 0;
    // record may be 0: no parameters.
    virtual unsigned ViewExecute(MsiHandle view, MsiHandle record) = 0;
    virtual unsigned ViewFetch(MsiHandle view, MsiHandle& record) = 0;
    virtual unsigned ViewModify(MsiHandle view, int mode, MsiHandle record) = 0;
    virtual unsigned ViewClose(MsiHandle view) = 0;
    virtual MsiHandle CreateRecord(unsigned fields) = 0;
    virtual unsigned RecordSetString(MsiHandle record, unsigned field, const std::string& value) = 0;
    virtual unsigned DatabaseCommit(MsiHandle database) = 0;
    virtual unsigned GetSummaryInformation(MsiHandle database, unsigned updateCount, MsiHandle& summary) = 0;
    // Sets a text property (type VT_LPSTR).
    virtual unsigned SummaryInfoSetText(MsiHandle summary, unsigned property, const std::string& value) = 0;
    virtual unsigned SummaryInfoPersist(MsiHandle summary) = 0;

    virtual unsigned CloseHandle(MsiHandle handle) = 0;
};

// The installer the engine talks to: the replacement set by UseMsiApi, else
// the platform's own.
MsiApi& Msi();
// The platform's own: msi.dll in the engine; on the host, where there is no
// Windows Installer, a stand-in whose every call fails with
// "Library not found: msi.dll".
MsiApi& PlatformMsiApi();
// Replaces the installer for tests; null restores the default.
void UseMsiApi(MsiApi* api);

// Owns an installer handle and closes it on every way out.
class MsiHandleOwner {
public:
    explicit MsiHandleOwner(MsiApi& api, MsiHandle handle = 0) : api_(api), handle_(handle) {}
    MsiHandleOwner(const MsiHandleOwner&) = delete;
    MsiHandleOwner& operator=(const MsiHandleOwner&) = delete;
    ~MsiHandleOwner() { Reset(); }

    MsiHandle Get() const { return handle_; }
    // For the installer's out-parameters; closes what was held before.
    MsiHandle& Receive() { Reset(); return handle_; }
    void Reset() {
        if (handle_ != 0) api_.CloseHandle(handle_);
        handle_ = 0;
    }

private:
    MsiApi& api_;
    MsiHandle handle_;
};
