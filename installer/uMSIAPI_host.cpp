#include "installer/uMSIAPI.h"
#include "core/ScriptError.h"

namespace {
// Linux has no Windows Installer: the library is simply not found, which is
// exactly how the engine behaves on a system without msi.dll.
class AbsentMsiApi final : public MsiApi {
public:
    int QueryProductState(const std::string&) override { Fail(); }
    unsigned GetProductInfo(const std::string&, const std::string&, std::string&) override { Fail(); }
    unsigned EnableLog(unsigned, const std::string&, unsigned) override { Fail(); }
    int SetInternalUI(int) override { Fail(); }
    void SetExternalUI(InstallerMessageSink*, unsigned) override { Fail(); }
    unsigned InstallProduct(const std::string&, const std::string&) override { Fail(); }
    unsigned ApplyPatch(const std::string&, const std::string&) override { Fail(); }
    unsigned SourceListAddSource(const std::string&, const std::string&, const std::string&) override { Fail(); }
    unsigned OpenPackage(const std::string&, MsiHandle&) override { Fail(); }
    unsigned SetProperty(MsiHandle, const std::string&, const std::string&) override { Fail(); }
    unsigned DoAction(MsiHandle, const std::string&) override { Fail(); }
    bool GetMode(MsiHandle, int) override { Fail(); }
    unsigned OpenDatabase(const std::string&, int, MsiHandle&) override { Fail(); }
    unsigned OpenView(MsiHandle, const std::string&, MsiHandle&) override { Fail(); }
    unsigned ViewExecute(MsiHandle, MsiHandle) override { Fail(); }
    unsigned ViewFetch(MsiHandle, MsiHandle&) override { Fail(); }
    unsigned ViewModify(MsiHandle, int, MsiHandle) override { Fail(); }
    unsigned ViewClose(MsiHandle) override { Fail(); }
    MsiHandle CreateRecord(unsigned) override { Fail(); }
    unsigned RecordSetString(MsiHandle, unsigned, const std::string&) override { Fail(); }
    unsigned DatabaseCommit(MsiHandle) override { Fail(); }
    unsigned GetSummaryInformation(MsiHandle, unsigned, MsiHandle&) override { Fail(); }
    unsigned SummaryInfoSetText(MsiHandle, unsigned, const std::string&) override { Fail(); }
    unsigned SummaryInfoPersist(MsiHandle) override { Fail(); }
    // Nothing can have been opened, so closing has nothing to do.
    unsigned CloseHandle(MsiHandle) override { return 0; }

private:
    [[noreturn]] static void Fail() { throw ScriptError("Library not found: msi.dll"); }
};
}  // namespace

MsiApi& PlatformMsiApi() {
    static AbsentMsiApi api;
    return api;
}
