#include <gtest/gtest.h>

#include "core/StartupValues.h"
#include "script/CheckScript.h"
#include "installer/InstallerDatabase.h"
#include "script/Session.h"
#include "core/VariableStore.h"
#include "script/mscriptexec.h"
#include "support/ScriptBuilder.h"
#include "system/HostRegistry.h"
#include "system/HostShellFolders.h"

namespace {

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        Startup() = StartupValues{};
        Project() = ProjectValues{};
        HostRegistryState().Clear();
        StartupValues& v = Startup();
        v.exePath = "C:\\Setup\\mysetup.exe";
        v.exeFolder = "C:\\Setup\\";
        v.tempFolder = "C:\\Temp\\";
        v.supportFolder = "C:\\Temp\\keb1\\";
        v.dataFolder = "C:\\Setup\\data\\";
        v.launcherPath = "D:\\Downloads\\launcher.exe";
        v.logFile = "C:\\log.txt";
        Project().Title = "Product";
        Project().Publisher = "Maker";
        Project().ProductCode = "{ABCDEF12-0000-0000-0000-000000000000}";
        HostShellState().administrator = true;
        HostShellState().folders[0x26] = "C:\\Program Files\\";
    }
    ScriptBuilder b;
};

TEST_F(SessionTest, PredefinedValues) {
    WriteRegistryString(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\", "RegisteredOwner", "Ann");
    b.Add("Comment");
    ASSERT_TRUE(StartSession(b.script(), ScriptBuilder::PackagePath()));
    EXPECT_EQ(GetVariable("TARGETDIR"), "C:\\Program Files\\Product\\");
    EXPECT_EQ(GetVariable("STARTMENU"), "Product");
    EXPECT_EQ(GetVariable("COMPANY"), "Maker");
    EXPECT_EQ(GetVariable("SFXPATH"), "D:\\Downloads\\");
    EXPECT_EQ(GetVariable("SFXFILE"), "launcher.exe");
    EXPECT_EQ(GetVariable("LOGGED"), "C:\\log.txt");
    EXPECT_EQ(GetVariable("USERNAME"), "Ann");
    EXPECT_EQ(GetVariable("USERCOMPANY"), "");
    EXPECT_EQ(GetVariable("ALLUSERS"), "TRUE");
    EXPECT_EQ(GetVariable("SILENT"), "FALSE");
    EXPECT_EQ(GetVariable("MSIFILE"), ScriptBuilder::PackagePath());
    EXPECT_EQ(GetVariable("WIZARD"), "NEXT");
    // Every reserved variable is defined for the script.
    for (const auto& name : ReservedVariableNames()) EXPECT_TRUE(VariableExists(name)) << name;
    // The predefined values follow the documented order.
    std::vector<std::string> order;
    for (const auto& [name, value] : ListVariables()) order.push_back(name);
    const auto at = [&](const char* name) { return std::find(order.begin(), order.end(), name) - order.begin(); };
    EXPECT_LT(at("SELECTED"), at("EXEFILE"));
    EXPECT_LT(at("USERCOMPANY"), at("REBOOTCOMPUTER"));
    // A first installation defines the target folder with the instance state,
    // before the predefined values; the language comes last.
    EXPECT_LT(at("TARGETDIR"), at("SELECTED"));
    EXPECT_LT(at("TEMPDIR"), at("MSIFILE"));
    EXPECT_EQ(order.back(), "LANGUAGE");
}

TEST_F(SessionTest, DefaultTargetForUsersIsBesideTheirDocuments) {
    HostShellState().administrator = false;
    HostShellState().folders[0x05] = "C:\\Users\\ann\\Documents\\";
    b.Add("Comment");
    ASSERT_TRUE(StartSession(b.script(), ScriptBuilder::PackagePath()));
    EXPECT_EQ(GetVariable("TARGETDIR"), "C:\\Users\\ann\\Product\\");
    EXPECT_EQ(GetVariable("ALLUSERS"), "FALSE");
    HostShellState().administrator = true;
}

TEST_F(SessionTest, CommandLineOverridesWinOnlyInSilentRuns) {
    Startup().overrides = {{"targetdir", "D:\\Chosen\\"}, {"newName", "fresh"}};
    b.Add("Set Variable", {"TARGETDIR", "E:\\Script\\"}).Add("Set Variable", {"SEEN", "$NEWNAME$"});
    Startup().silent = true;
    RunScript(b.script(), ScriptBuilder::PackagePath(), nullptr);
    EXPECT_EQ(GetVariable("TARGETDIR"), "D:\\Chosen\\");
    EXPECT_EQ(GetVariable("SEEN"), "fresh");
    Startup().silent = false;
    RunScript(b.script(), ScriptBuilder::PackagePath(), nullptr);
    EXPECT_EQ(GetVariable("TARGETDIR"), "E:\\Script\\");
}

TEST_F(SessionTest, HeaderPassQueuesOneFalsePropertyPerHeader) {
    b.Add("Write Registry").Add("Set Variable", {"A", "1"}).Add("Create Folder");
    Script script = b.script();
    script.CommandHeaders = {"HDRONE", "0", "HDRTWO", "2"};
    ASSERT_TRUE(StartSession(script, ScriptBuilder::PackagePath()));
    const auto pending = PendingInstallerProperties();
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[0].name + "=" + pending[0].value, "AHDRONE=FALSE");
    EXPECT_EQ(pending[1].name + "=" + pending[1].value, "AHDRTWO=FALSE");
    EXPECT_EQ(InstanceParameters(), (std::vector<std::string>{"AHDRONE", "FALSE", "AHDRTWO", "FALSE"}));
    EXPECT_EQ(ExecutionStates(), (std::vector<std::string>{"FALSE", "SKIP", "FALSE"}));
}

TEST_F(SessionTest, FailingCheckEndsTheSessionWithItsReason) {
    b.Add("Comment", {});
    b.Add("If", {"TITLE", "0", "x"});
    try {
        StartSession(b.script(), ScriptBuilder::PackagePath());
        ADD_FAILURE() << "the session started";
    } catch (const ScriptCheckFailure& failure) {
        EXPECT_EQ(failure.position, 2);
        EXPECT_NE(std::string(failure.what()), "Script compiled successfully");
    }
}

}  // namespace
