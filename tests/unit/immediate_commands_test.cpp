#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "installer/InstallerDatabase.h"
#include "script/AccessRules.h"
#include "core/Components.h"
#include "support/FakeMsiApi.h"
#include "support/ScriptRunTest.h"
#include "system/GuidText.h"
#include "system/HostAccessControl.h"
#include "system/HostConsolePrograms.h"
#include "system/HostNetworkShares.h"
#include "system/HostProcess.h"
#include "system/HostSystemFacts.h"
#include "system/HostTopLevelWindows.h"
#include "system/TextUtils.h"

namespace {

class ImmediateCommandsTest : public ScriptRunTest {
protected:
    void SetUp() override {
        ScriptRunTest::SetUp();
        Project() = ProjectValues{};
        Project().ProductCode = "{11111111-2222-3333-4444-555555555555}";
        Project().RevisionCode = "{66666666-2222-3333-4444-555555555555}";
        HostTopLevelWindowsState() = HostTopLevelWindows{};
        HostConsoleProgramsState() = HostConsolePrograms{};
        HostNetworkShares().clear();
        HostAccessChanges().clear();
        HostSystemFactsState() = HostSystemFacts{};
        HostProcessState().windowsFolder = "C:\\WINDOWS\\";
    }
    // Runs the script; without expectedError it must end without an error report, with it the report names it.
    void Run(const std::string& expectedError = "") {
        if (expectedError.empty()) return ScriptRunTest::Run();
        RunScript(b.script(), ScriptBuilder::PackagePath(), nullptr);
        EXPECT_NE(LastScriptErrorReport().find(expectedError), std::string::npos) << LastScriptErrorReport();
    }
};

TEST_F(ImmediateCommandsTest, DeleteRegistryRemovesValuesAndKeyTreesAndIgnoresWhatIsMissing) {
    WriteRegistryString(RegistryRoot::LocalMachine, "Software\\Maker\\App", "Keep", "1");
    WriteRegistryString(RegistryRoot::LocalMachine, "Software\\Maker\\App", "Drop", "2");
    WriteRegistryString(RegistryRoot::CurrentUser, "Software\\Maker\\Tree\\Deep", "Value", "3");
    WriteRegistryString(RegistryRoot::CurrentUser, "Software\\Maker\\Other", "Value", "4");
    WriteRegistryString(RegistryRoot::Users, "Software\\Maker", "Value", "5");
    b.Add("Delete Registry", {"2", "Software\\\\Maker\\\\App", "Drop", "FALSE"});
    b.Add("Delete Registry", {"7", "Software\\Maker\\Tree", "", "TRUE"});  // unknown roots are the current user's
    b.Add("Delete Registry", {"2", "Software\\Missing", "Value", "FALSE"});
    b.Add("Delete Registry", {"2", "Software\\Missing", "", "TRUE"});
    b.Add("Delete Registry", {"three", "Software\\Maker", "", "TRUE"});
    b.Add("Delete Registry", {"3", "", "", "TRUE"});  // never a whole root
    Run();
    EXPECT_EQ(ReadRegistryString(RegistryRoot::LocalMachine, "Software\\Maker\\App", "Keep"), "1");
    EXPECT_FALSE(ReadRegistryString(RegistryRoot::LocalMachine, "Software\\Maker\\App", "Drop"));
    EXPECT_FALSE(RegistryKeyExists(RegistryRoot::CurrentUser, "Software\\Maker\\Tree"));
    EXPECT_FALSE(RegistryKeyExists(RegistryRoot::CurrentUser, "Software\\Maker\\Tree\\Deep"));
    EXPECT_TRUE(RegistryKeyExists(RegistryRoot::CurrentUser, "Software\\Maker\\Other"));
    EXPECT_EQ(ReadRegistryString(RegistryRoot::Users, "Software\\Maker", "Value"), "5");
}

TEST_F(ImmediateCommandsTest, IsMsiSetupInstalledAsksTheInstaller) {
    ScopedFakeMsi msi;
    b.Add("Is MSI Setup Installed", {"{AAAAAAAA-0000-0000-0000-000000000000}", "installed"});
    msi.fake.productState = 5;  // installed in the default state
    Run();
    EXPECT_EQ(GetVariable("INSTALLED"), "TRUE");
    msi.fake.productState = 1;  // advertised
    Run();
    EXPECT_EQ(GetVariable("INSTALLED"), "FALSE");
}

TEST_F(ImmediateCommandsTest, TerminateProgramClosesTheFirstMatchInEachOfTenPasses) {
    auto& desktop = HostTopLevelWindowsState();
    for (WindowHandle h = 1; h <= 12; ++h)
        desktop.windows.push_back({h, "HelperWindow", "Helper " + std::to_string(h)});
    desktop.windows.insert(desktop.windows.begin(), {100, "Other", "Notepad"});
    b.Add("Terminate Program", {"Helper", ""});
    Run();
    EXPECT_EQ(desktop.closeRequests, (std::vector<WindowHandle>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(desktop.windows.size(), 3u);

    // Class and title both match, case-sensitively; empty parts match every window.
    desktop.closeRequests.clear();
    b = ScriptBuilder();
    b.Add("Terminate Program", {"helper", ""});
    b.Add("Terminate Program", {"", ""});
    b.Add("Terminate Program", {"Note", "Other"});
    Run();
    EXPECT_EQ(desktop.closeRequests, (std::vector<WindowHandle>{100}));

    // A window that does not close at once is asked again in every pass.
    desktop.closeRequests.clear();
    desktop.closeOnRequest = false;
    b = ScriptBuilder();
    b.Add("Terminate Program", {"", "HelperWindow"});
    Run();
    EXPECT_EQ(desktop.closeRequests, std::vector<WindowHandle>(10, 11));
}

TEST_F(ImmediateCommandsTest, NativeImagesRunTheGeneratorWhenItExists) {
    b.Add("Generate Native Images", {"$TEMP$\\App.dll"});
    b.Add("Set Variable", {"TEMP", "C:\\App"});
    b.Add("Generate Native Images", {"$TEMP$\\App.dll"});
    const std::string generator = "C:\\WINDOWS\\Microsoft.NET\\Framework\\v1.1.4322\\ngen.exe";
    Run();  // no generator: nothing happens, no error
    EXPECT_TRUE(HostConsoleProgramsState().ran.empty());
    HostConsoleProgramsState().existing = {generator};
    Run();
    EXPECT_EQ(HostConsoleProgramsState().ran, (std::vector<std::string>{generator + " \"$TEMP$\\App.dll\"",
                                                                         generator + " \"C:\\App\\App.dll\""}));
}

TEST_F(ImmediateCommandsTest, SharesAreCreatedAndDeletedWithoutStoppingTheScript) {
    b.Add("Create Share", {"C:\\\\Data", "Data", "Shared data"});
    b.Add("Create Share", {"C:\\Data", "Data", "twice: refused, ignored"});
    b.Add("Create Share", {"C:\\Logs", "Logs", ""});
    b.Add("Delete Share", {"Logs"});
    b.Add("Delete Share", {"Missing"});
    Run();
    ASSERT_EQ(HostNetworkShares().size(), 1u);
    EXPECT_EQ(HostNetworkShares()["DATA"].folder, "C:\\Data");
    EXPECT_EQ(HostNetworkShares()["DATA"].remark, "Shared data");
}

// p1 object, p2..p5 accounts, p6 account name, p7 read, p8 full, p9 grant,
// p10 empty list, p11 remove list, p12..p16 object kinds.
std::vector<std::string> AccessParameters(const std::string& object, const std::string& accounts,
                                          const std::string& name, const std::string& levels,
                                          const std::string& action, const std::string& kinds) {
    std::vector<std::string> p{object};
    for (char a : accounts) p.push_back(a == '1' ? "TRUE" : "FALSE");
    p.push_back(name);
    for (char l : levels) p.push_back(l == '1' ? "TRUE" : "FALSE");
    for (char a : action) p.push_back(a == '1' ? "TRUE" : "FALSE");
    for (char k : kinds) p.push_back(k == '1' ? "TRUE" : "FALSE");
    return p;
}

TEST_F(ImmediateCommandsTest, SetAccessControlAsksTheSecurityApiForTheRequestedChange) {
    b.Add("Set Variable", {"ACCOUNT", "builder"});
    b.Add("Set Access Control", AccessParameters("C:\\App", "1101", "$ACCOUNT$", "11", "100", "10000"));
    b.Add("Set Access Control", AccessParameters("HKLM\\Software\\App", "0010", "", "10", "111", "10100"));
    b.Add("Set Access Control", AccessParameters("Office Laser", "0100", "", "01", "100", "00001"));
    b.Add("Set Access Control", AccessParameters("AppShare", "1000", "", "10", "011", "01000"));
    b.Add("Set Access Control", AccessParameters("AppService", "1000", "", "10", "001", "00010"));
    b.Add("Set Access Control", AccessParameters("C:\\Nothing", "1111", "", "11", "111", "00000"));
    b.Add("Set Access Control", AccessParameters("C:\\NoAccount", "0000", "", "11", "111", "10000"));
    Run();
    const AllowedEntry readAll{0x1200A9, 0x03}, fullAll{0x1F01FF, 0x03};
    const AccountRef everyone{AccountKind::Everyone, ""}, user{AccountKind::CurrentUser, ""};
    const AccountRef named{AccountKind::Named, "builder"}, authenticated{AccountKind::AuthenticatedUsers, ""};
    const auto& changes = HostAccessChanges();
    ASSERT_EQ(changes.size(), 5u);
    EXPECT_EQ(changes[0].objectName, "C:\\App");
    EXPECT_EQ(changes[0].kind, SecuredObjectKind::FileOrFolder);
    EXPECT_EQ(changes[0].change.accounts,
              (std::vector<AccountAccess>{{everyone, {readAll}}, {everyone, {fullAll}}, {user, {readAll}},
                                          {user, {fullAll}}, {named, {readAll}}, {named, {fullAll}}}));
    EXPECT_EQ(changes[1].objectName, "MACHINE\\Software\\App");  // the last kind asked for wins
    EXPECT_EQ(changes[1].kind, SecuredObjectKind::RegistryKey);
    EXPECT_EQ(changes[1].change.accounts, (std::vector<AccountAccess>{{authenticated, {readAll}}}));
    EXPECT_EQ(changes[2].kind, SecuredObjectKind::Printer);
    EXPECT_EQ(changes[2].change.accounts,
              (std::vector<AccountAccess>{{user, {{0xF000C, 0}, {0xF0010, 0x09}}}}));
    EXPECT_EQ(changes[3].kind, SecuredObjectKind::Share);
    EXPECT_EQ(changes[3].change.kind, AccessListChange::Kind::Empty);
    EXPECT_EQ(changes[4].kind, SecuredObjectKind::Service);
    EXPECT_EQ(changes[4].change.kind, AccessListChange::Kind::Remove);
}

TEST(AccessRulesTest, MasksAndInheritanceByKindAndSystemFamily) {
    using K = SecuredObjectKind;
    for (K kind : {K::FileOrFolder, K::Share, K::RegistryKey, K::Service}) {
        EXPECT_EQ(AccessEntries(kind, false, true), (std::vector<AllowedEntry>{{0x1200A9, 0x03}}));
        EXPECT_EQ(AccessEntries(kind, true, true), (std::vector<AllowedEntry>{{0x1F01FF, 0x03}}));
        EXPECT_EQ(AccessEntries(kind, false, false), (std::vector<AllowedEntry>{{0x81, 0x03}}));
        EXPECT_EQ(AccessEntries(kind, true, false), (std::vector<AllowedEntry>{{0xB7, 0x03}}));
    }
    EXPECT_EQ(AccessEntries(K::Printer, false, true), (std::vector<AllowedEntry>{{0x20008, 0}}));
    EXPECT_EQ(AccessEntries(K::Printer, true, true), (std::vector<AllowedEntry>{{0xF000C, 0}, {0xF0010, 0x09}}));
    EXPECT_EQ(AccessEntries(K::Printer, true, false), (std::vector<AllowedEntry>{{0xB7, 0}}));

    EXPECT_EQ(SecurityRegistryKeyName("HKEY_LOCAL_MACHINE\\Software\\X"), "MACHINE\\Software\\X");
    EXPECT_EQ(SecurityRegistryKeyName("hkcu\\Software"), "CURRENT_USER\\Software");
    EXPECT_EQ(SecurityRegistryKeyName("HKCR"), "CLASSES_ROOT");
    EXPECT_EQ(SecurityRegistryKeyName("HKU\\.DEFAULT"), "USERS\\.DEFAULT");
    EXPECT_EQ(SecurityRegistryKeyName("MACHINE\\Software"), "MACHINE\\Software");
}

class FeatureSelectionsTest : public ImmediateCommandsTest {
protected:
    void SetUp() override {
        ImmediateCommandsTest::SetUp();
        ClearComponents();
    }
};

TEST_F(FeatureSelectionsTest, SavedSelectionsComeBackForTheComponentsOfTheList) {
    const std::string file = temp.file("choice.sel");
    b.Add("Define Component", {"Main", "TRUE", ""});
    b.Add("Define Component", {"Docs", "FALSE", ""});
    b.Add("Set Variable", {"TARGETDIR", "C:\\Chosen\\"});
    b.Add("Save Feature Selections", {file});
    b.Add("Set Component State", {"Main", "FALSE"});
    b.Add("Set Component State", {"Docs", "TRUE"});
    b.Add("Set Variable", {"TARGETDIR", "C:\\Other\\"});
    b.Add("Define Component", {"Extra", "TRUE", ""});
    b.Add("Load Feature Selections", {file});
    b.Add("Load Feature Selections", {temp.file("missing.sel")});
    Run();
    const std::string saved = ReadWholeFile(file);
    EXPECT_EQ(saved.substr(0, saved.find("C:\\Chosen\\")),
              std::string(kPredefinedComponent) + "\r\nMain\r\nDocs\r\n$\r\nTRUE\r\nTRUE\r\nFALSE\r\n$\r\n");
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 11);  // no data-folder line
    EXPECT_TRUE(IsComponentSelected("Main"));
    EXPECT_FALSE(IsComponentSelected("Docs"));
    EXPECT_TRUE(IsComponentSelected("Extra"));  // not in the file: kept
    EXPECT_EQ(GetVariable("TARGETDIR"), "C:\\Chosen\\");
}

// p4 marks a feature required, and selects it whatever p2 says; a payload
// written before p4 existed ends its parameter list after p3: no feature of
// it is required and p2 alone decides.
TEST_F(FeatureSelectionsTest, RequiredIsTheOptionalFourthParameter) {
    b.Add("Define Component", {"Core", "FALSE", "the core", "TRUE"});
    b.Add("Define Component", {"Samples", "TRUE", "the samples", "FALSE"});
    b.Add("Define Component", {"Old", "FALSE", "from an older payload"});
    b.Add("Define Component", {"OldOn", "TRUE", "from an older payload"});
    Run();
    EXPECT_TRUE(IsComponentSelected("Core"));
    EXPECT_TRUE(IsComponentRequiredAt(ComponentIndex("Core")));
    EXPECT_TRUE(IsComponentSelected("Samples"));
    EXPECT_FALSE(IsComponentRequiredAt(ComponentIndex("Samples")));
    EXPECT_FALSE(IsComponentSelected("Old"));
    EXPECT_FALSE(IsComponentRequiredAt(ComponentIndex("Old")));
    EXPECT_TRUE(IsComponentSelected("OldOn"));
    EXPECT_FALSE(IsComponentRequiredAt(ComponentIndex("OldOn")));
}

TEST_F(FeatureSelectionsTest, ALaterDuplicateWinsAndATruncatedFileIsAnErrorNamingIt) {
    const std::string twice =
        temp.write("twice.sel", "docs\r\nDOCS\r\n$\r\nTRUE\r\nFALSE\r\n$\r\nC:\\T\\\r\nTRUE\r\nMenu\r\n");
    const std::string cut = temp.write("cut.sel", "Docs\r\n$\r\nTRUE\r\n$\r\nC:\\Cut\\\r\n");
    b.Add("Define Component", {"Docs", "TRUE", ""});
    b.Add("Load Feature Selections", {twice});
    b.Add("Get Component State", {"Docs", "AFTER_TWICE"});
    b.Add("Set Component State", {"Docs", "FALSE"});
    b.Add("Load Feature Selections", {cut});
    b.Add("Set Variable", {"NEVER", "reached"});
    Run("The feature selection file " + cut + " ends too early");
    EXPECT_EQ(GetVariable("AFTER_TWICE"), "FALSE");
    EXPECT_TRUE(IsComponentSelected("Docs"));           // what the file reached is set
    EXPECT_EQ(GetVariable("TARGETDIR"), "C:\\Cut\\");
    EXPECT_EQ(GetVariable("STARTMENU"), "Menu");        // the file ended before it
    EXPECT_FALSE(VariableExists("NEVER"));
}

TEST_F(ImmediateCommandsTest, TransformInstanceGivesANewIdentityOnlyWhenRequestedAndNoPatchIsRun) {
    b.Add("Transform Instance");
    Run();  // a first installation: NEWINSTANCE is FALSE
    EXPECT_EQ(GetVariable("PRODUCTCODE"), "{11111111-2222-3333-4444-555555555555}");
    EXPECT_FALSE(CurrentNewInstanceRequest().requested);

    b = ScriptBuilder();
    b.Add("Set Variable", {"NEWINSTANCE", "TRUE"});
    b.Add("Transform Instance");
    Run();
    const std::string product = GetVariable("PRODUCTCODE"), revision = GetVariable("REVISIONCODE");
    EXPECT_TRUE(IsGuidText(product) && product == UpperAscii(product)) << product;
    EXPECT_NE(product, "{11111111-2222-3333-4444-555555555555}");
    EXPECT_NE(revision, "{66666666-2222-3333-4444-555555555555}");
    EXPECT_NE(product, revision);
    const NewInstanceRequest request = CurrentNewInstanceRequest();
    EXPECT_TRUE(request.requested);
    EXPECT_EQ(request.productCode, product);
    EXPECT_EQ(request.packageCode, revision);
    EXPECT_EQ(GetVariable("NEWINSTANCE"), "FALSE");  // the new product is not installed

    const std::string patch = ScriptBuilder::PackagePath().substr(0, ScriptBuilder::PackagePath().size() - 4) + ".msp";
    std::ofstream(patch).close();
    Project().ProductCode = "{11111111-2222-3333-4444-555555555555}";
    Run();
    std::filesystem::remove(patch);
    EXPECT_EQ(GetVariable("PRODUCTCODE"), "{11111111-2222-3333-4444-555555555555}");
    EXPECT_FALSE(CurrentNewInstanceRequest().requested);
}

}  // namespace
