#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <map>
#include <mutex>

#include "installer/uMSIAPI.h"
#include "core/ScriptError.h"
#include "system/LoadedLibrary.h"

namespace {
constexpr const char* kLibraryName = "msi.dll";
constexpr UINT kSummaryTypeText = 30;  // VT_LPSTR

using AnyFunction = void (*)();

// msi.dll from the system folder, loaded at the first call for the rest of
// the process, and its functions bound by name at their first use.
class MsiLibrary {
public:
    template <typename Function>
    Function Bind(const char* name) {
        if (!library_.loaded()) throw ScriptError(std::string("Library not found: ") + kLibraryName);
        std::lock_guard<std::mutex> guard(lock_);
        auto found = functions_.find(name);
        if (found != functions_.end()) return reinterpret_cast<Function>(found->second);
        auto address = library_.Find<AnyFunction>(name);
        if (!address) throw ScriptError(std::string("Function not found: ") + kLibraryName + "." + name);
        functions_.emplace(name, address);
        return reinterpret_cast<Function>(address);
    }

private:
    const LoadedLibrary library_ = LoadedLibrary::FromSystemFolder(kLibraryName);
    std::mutex lock_;
    std::map<std::string, AnyFunction> functions_;
};

MsiLibrary& Library() {
    static MsiLibrary library;
    return library;
}

#define MSI_FUNCTION(name) Library().Bind<decltype(&::name)>(#name)

// Initialize and terminate messages may carry a pointer that is no text.
bool CarriesText(UINT type) {
    UINT kind = type & 0xFF000000;
    return kind != INSTALLMESSAGE_INITIALIZE && kind != INSTALLMESSAGE_TERMINATE;
}

// The installer calls this on its own threads: nothing may escape it.
INT CALLBACK ExternalUiTrampoline(LPVOID context, UINT type, LPCSTR message) {
    try {
        const char* text = message && CarriesText(type) ? message : "";
        return static_cast<InstallerMessageSink*>(context)->OnInstallerMessage(type, text);
    } catch (...) {
        return 0;
    }
}

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

class WindowsMsiApi final : public MsiApi {
public:
    int QueryProductState(const std::string& productCode) override {
        return MSI_FUNCTION(MsiQueryProductStateA)(productCode.c_str());
    }
    unsigned GetProductInfo(const std::string& productCode, const std::string& property,
                            std::string& value) override {
        char buffer[260];
        DWORD size = sizeof buffer;
        UINT result = MSI_FUNCTION(MsiGetProductInfoA)(productCode.c_str(), property.c_str(), buffer, &size);
        if (result == ERROR_SUCCESS) value.assign(buffer, size);
        return result;
    }
    unsigned EnableLog(unsigned mode, const std::string& logFile, unsigned attributes) override {
        return MSI_FUNCTION(MsiEnableLogA)(mode, logFile.c_str(), attributes);
    }
    int SetInternalUI(int level) override {
        return MSI_FUNCTION(MsiSetInternalUI)(static_cast<INSTALLUILEVEL>(level), nullptr);
    }
    void SetExternalUI(InstallerMessageSink* sink, unsigned filter) override {
        MSI_FUNCTION(MsiSetExternalUIA)(sink ? ExternalUiTrampoline : nullptr, sink ? filter : 0, sink);
    }
    unsigned InstallProduct(const std::string& package, const std::string& commandLine) override {
        return MSI_FUNCTION(MsiInstallProductA)(package.c_str(), commandLine.c_str());
    }
    unsigned ApplyPatch(const std::string& patch, const std::string& commandLine) override {
        return MSI_FUNCTION(MsiApplyPatchA)(patch.c_str(), nullptr, INSTALLTYPE_DEFAULT, commandLine.c_str());
    }
    unsigned SourceListAddSource(const std::string& productCode, const std::string& userName,
                                 const std::string& source) override {
        return MSI_FUNCTION(MsiSourceListAddSourceA)(productCode.c_str(), OrNull(userName), 0, source.c_str());
    }
    unsigned OpenPackage(const std::string& package, MsiHandle& session) override {
        MSIHANDLE handle = 0;
        UINT result = MSI_FUNCTION(MsiOpenPackageA)(package.c_str(), &handle);
        session = handle;
        return result;
    }
    unsigned SetProperty(MsiHandle session, const std::string& name, const std::string& value) override {
        return MSI_FUNCTION(MsiSetPropertyA)(session, name.c_str(), value.c_str());
    }
    unsigned DoAction(MsiHandle session, const std::string& action) override {
        return MSI_FUNCTION(MsiDoActionA)(session, action.c_str());
    }
    bool GetMode(MsiHandle session, int runMode) override {
        return MSI_FUNCTION(MsiGetMode)(session, static_cast<MSIRUNMODE>(runMode)) != FALSE;
    }
    unsigned OpenDatabase(const std::string& path, int persist, MsiHandle& database) override {
        MSIHANDLE handle = 0;
        UINT result = MSI_FUNCTION(MsiOpenDatabaseA)(path.c_str(), reinterpret_cast<LPCSTR>(static_cast<INT_PTR>(persist)),
                                                     &handle);
        database = handle;
        return result;
    }
    unsigned OpenView(MsiHandle database, const std::string& query, MsiHandle& view) override {
        MSIHANDLE handle = 0;
        UINT result = MSI_FUNCTION(MsiDatabaseOpenViewA)(database, query.c_str(), &handle);
        view = handle;
        return result;
    }
    unsigned ViewExecute(MsiHandle view, MsiHandle record) override {
        return MSI_FUNCTION(MsiViewExecute)(view, record);
    }
    unsigned ViewFetch(MsiHandle view, MsiHandle& record) override {
        MSIHANDLE handle = 0;
        UINT result = MSI_FUNCTION(MsiViewFetch)(view, &handle);
        record = handle;
        return result;
    }
    unsigned ViewModify(MsiHandle view, int mode, MsiHandle record) override {
        return MSI_FUNCTION(MsiViewModify)(view, static_cast<MSIMODIFY>(mode), record);
    }
    unsigned ViewClose(MsiHandle view) override { return MSI_FUNCTION(MsiViewClose)(view); }
    MsiHandle CreateRecord(unsigned fields) override { return MSI_FUNCTION(MsiCreateRecord)(fields); }
    unsigned RecordSetString(MsiHandle record, unsigned field, const std::string& value) override {
        return MSI_FUNCTION(MsiRecordSetStringA)(record, field, value.c_str());
    }
    unsigned DatabaseCommit(MsiHandle database) override { return MSI_FUNCTION(MsiDatabaseCommit)(database); }
    unsigned GetSummaryInformation(MsiHandle database, unsigned updateCount, MsiHandle& summary) override {
        MSIHANDLE handle = 0;
        UINT result = MSI_FUNCTION(MsiGetSummaryInformationA)(database, nullptr, updateCount, &handle);
        summary = handle;
        return result;
    }
    unsigned SummaryInfoSetText(MsiHandle summary, unsigned property, const std::string& value) override {
        return MSI_FUNCTION(MsiSummaryInfoSetPropertyA)(summary, property, kSummaryTypeText, 0, nullptr, value.c_str());
    }
    unsigned SummaryInfoPersist(MsiHandle summary) override { return MSI_FUNCTION(MsiSummaryInfoPersist)(summary); }
    unsigned CloseHandle(MsiHandle handle) override { return MSI_FUNCTION(MsiCloseHandle)(handle); }
};
}  // namespace

MsiApi& PlatformMsiApi() {
    static WindowsMsiApi api;
    return api;
}
