#include <gtest/gtest.h>

#include "core/StartupValues.h"
#include "installer/InstallerDatabase.h"
#include "core/Components.h"
#include "script/Session.h"
#include "core/VariableStore.h"
#include "script/mscriptexec.h"
#include "support/FakeMsiApi.h"
#include "support/ScriptBuilder.h"
#include "support/SetupMachine.h"
#include "system/HostRegistry.h"
#include "system/HostShellFolders.h"
#include "system/ShellFolders.h"

namespace {

constexpr const char* kProduct = SetupMachine::kProduct;
constexpr const char* kRevision = SetupMachine::kRevision;

class InstanceStateTest : public ::testing::Test {
protected:
    void Run() { RunScript(b.script(), msiPath, nullptr); }
    std::string Value(const std::string& name) { return VariableExists(name) ? GetVariable(name) : "<undefined>"; }

    // The instance files an earlier installation left in the all-users instance folder.
    void SaveInstance(const std::string& dat, const std::string& par) {
        const std::string folder = SetupMachine::InstanceFolder();
        temp.write(folder + "sample.dat", dat);
        temp.write(folder + "sample.par", par);
    }

    TempDir temp;
    SetupMachine machine{temp};
    std::string root = machine.root, msiPath = machine.msiPath;
    ScriptBuilder b;
    ScopedFakeMsi msi;
};

TEST_F(InstanceStateTest, FirstInstallation) {
    b.Add("Install Files", {"files", "", "$TARGETDIR$"});
    b.Add("Comment");
    Script script = b.script();
    script.CommandHeaders = {"FILES", "0"};
    RunScript(script, msiPath, [](int) { return false; });  // stop before the first command
    EXPECT_EQ(Value("MAINTENANCE"), "FALSE");
    EXPECT_EQ(Value("NEEDSUPGRADE"), "FALSE");
    EXPECT_EQ(Value("NEWINSTANCE"), "FALSE");
    EXPECT_EQ(Value("TARGETDIR"), root + "\\pf\\Sample\\");
    EXPECT_EQ(Value("ALLUSERS"), "TRUE");
    EXPECT_EQ(ComponentNames(), std::vector<std::string>{"ZOLT-PREDEF-COMPONENT"});
    EXPECT_TRUE(IsComponentSelected("ZOLT-PREDEF-COMPONENT"));
    EXPECT_EQ(Value("UNINSTALLLINK"), root + "\\public\\Application Data\\" + kRevision + "\\sample.exe");
    // The header pass switches every recorded command off until it runs.
    EXPECT_EQ(InstanceParameters(), (std::vector<std::string>{"AFILES", "FALSE"}));
    const auto pending = PendingInstallerProperties();
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(pending[0].name, "AFILES");
}

TEST_F(InstanceStateTest, MaintenanceOfTheSamePackageLoadsTheSavedInstance) {
    msi.fake.productState = 5;
    msi.fake.productInfo[std::string(kProduct) + "/PackageCode"] = "{99999999-2222-3333-4444-555555555555}";
    Project().ComponentSizes = {"DOCS", "1000", "MAIN", "500"};
    SaveInstance("Main\r\nDocs\r\n$\r\nTRUE\r\nFALSE\r\n$\r\nD:\\Old\\\r\nFALSE\r\nOld Menu\r\nC:\\DATA~1\\\r\n",
                 "AFILES\r\nTRUE\r\nPFILES_1\r\nD:\\Old\\\r\n");
    Run();
    EXPECT_EQ(Value("MAINTENANCE"), "TRUE");
    EXPECT_EQ(Value("NEEDSUPGRADE"), "FALSE");
    EXPECT_EQ(Value("NEWINSTANCE"), "TRUE");
    EXPECT_EQ(ComponentNames(), (std::vector<std::string>{"Main", "Docs", "ZOLT-PREDEF-COMPONENT"}));
    EXPECT_EQ(ComponentStates(), (std::vector<std::string>{"TRUE", "FALSE", "TRUE"}));
    EXPECT_EQ(InstalledSizeBaseline(), 500);
    EXPECT_EQ(InstanceParameters(), (std::vector<std::string>{"AFILES", "TRUE", "PFILES_1", "D:\\Old\\"}));
    // The predefined values replace what the instance file said.
    EXPECT_EQ(Value("TARGETDIR"), root + "\\pf\\Sample\\");
}

TEST_F(InstanceStateTest, AnotherPackageOfTheProductNeedsAnUpgrade) {
    msi.fake.productState = 5;
    msi.fake.productInfo[std::string(kProduct) + "/PackageCode"] = "{00000000-0000-0000-0000-000000000000}";
    Run();
    EXPECT_EQ(Value("NEEDSUPGRADE"), "TRUE");
    EXPECT_EQ(Value("MAINTENANCE"), "FALSE");
    EXPECT_EQ(Value("NEWINSTANCE"), "TRUE");
}

TEST_F(InstanceStateTest, InstanceFileBesideTheEngineReplacesTheCodesAndKeepsTheInstance) {
    msi.fake.productState = 5;
    msi.fake.productInfo["{NEW-PRODUCT}/PackageCode"] = "{NEW-REVISION}";
    temp.write("setup/instance.dat", "{NEW-PRODUCT}\r\n{NEW-REVISION}\r\nNew Title\r\n");
    Run();
    EXPECT_EQ(Value("PRODUCTCODE"), "{NEW-PRODUCT}");
    EXPECT_EQ(Value("TITLE"), "New Title");
    EXPECT_EQ(Value("MAINTENANCE"), "TRUE");
    EXPECT_EQ(Value("NEWINSTANCE"), "FALSE");
}

TEST_F(InstanceStateTest, PredefinedValuesComeInTheirOrder) {
    Run();
    std::vector<std::string> names;
    for (const auto& [name, value] : ListVariables()) names.push_back(name);
    const std::vector<std::string> expected = {
        "PRODUCTCODE", "REVISIONCODE", "UNINSTALLLINK", "DATADIR", "NEEDSUPGRADE", "MAINTENANCE", "TARGETDIR",
        "STARTMENU", "ALLUSERS", "NEWINSTANCE", "SELECTED", "WINDOWHANDLE", "EXEFILE", "EXEDIR", "PROGRESSTEXT",
        "ABORT", "PROGRESS", "LASTERROR", "LICENSE", "USERNAME", "USERCOMPANY", "REBOOTCOMPUTER", "RUNAPP",
        "WIZARD", "SILENT", "LOGGED", "CMDLINE", "SFXPATH", "SFXFILE", "COMPLETE", "MINIMUM", "PERSONALIZED",
        "MODIFY", "REPAIR", "REMOVE", "ROOTDIR", "TITLE", "COMPANY", "ADVERTISE", "DATE", "TIME", "TEMPDIR",
        "SUPPORTDIR", "MSIFILE", "LANGUAGE"};
    EXPECT_EQ(names, expected);
}

TEST_F(InstanceStateTest, ResumeEntriesAreRemovedFromBothRunKeys) {
    const char* run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";
    for (RegistryRoot r : {RegistryRoot::CurrentUser, RegistryRoot::LocalMachine}) {
        WriteRegistryString(r, run, "ABCDEF12", "C:\\setup.exe");
        WriteRegistryString(r, run, "Other", "keep");
    }
    Run();
    for (RegistryRoot r : {RegistryRoot::CurrentUser, RegistryRoot::LocalMachine}) {
        EXPECT_FALSE(ReadRegistryString(r, run, "ABCDEF12"));
        EXPECT_EQ(ReadRegistryString(r, run, "Other").value_or(""), "keep");
    }
}

TEST_F(InstanceStateTest, WithoutPackageOrPatchNoCommandRuns) {
    b.Add("Set Variable", {"RAN", "yes"});
    msiPath = root + "\\temp\\keb1\\missing.msi";
    Run();
    EXPECT_EQ(Value("RAN"), "<undefined>");
}

TEST_F(InstanceStateTest, CommandLineValuesExistBeforeTheFirstCommandAndWinWhenSilent) {
    Startup().overrides = {{"newName", "from command line"}};
    b.Add("Set Variable", {"SEEN", "$NEWNAME$"});
    b.Add("Set Variable", {"NEWNAME", "from script"});
    Run();
    EXPECT_EQ(Value("SEEN"), "from command line");
    EXPECT_EQ(Value("NEWNAME"), "from command line");

    Startup().silent = false;
    Run();
    EXPECT_EQ(Value("NEWNAME"), "from script");
}

}  // namespace
