#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/StartupValues.h"
#include "installer/InstallerDatabase.h"
#include "script/RecordedChanges.h"
#include "script/Session.h"
#include "core/VariableStore.h"
#include "script/mscriptexec.h"
#include "support/FakeMsiApi.h"
#include "support/ScriptBuilder.h"
#include "support/SetupMachine.h"
#include "system/HostMessageBoxes.h"
#include "system/HostRegistry.h"
#include "system/HostShellFolders.h"
#include "system/Files.h"
#include "system/ShellFolders.h"
#include "system/WideText.h"

namespace {

constexpr const char* kProduct = SetupMachine::kProduct;
constexpr const char* kRevision = SetupMachine::kRevision;
const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sample";
const std::string kIdent = std::string("SOFTWARE\\Telvoria\\Orvanta\\Ident.Cache\\") + kProduct;

class RecordingTest : public ::testing::Test {
protected:
    void SetUp() override {
        Project().Publisher = "Publisher";
        Project().Contact = "Contact";
        for (const char* f : {"setup/sample.exe", "setup/sample.msi", "setup/sample.res", "setup/keb.dll"})
            temp.write(f, f);
    }

    void Run() { RunScript(script(), machine.msiPath, nullptr); }
    Script script() {
        Script s = b.script();
        s.CommandHeaders = headers;
        return s;
    }
    std::string Value(const std::string& name) { return VariableExists(name) ? GetVariable(name) : "<undefined>"; }
    std::string Cache() const { return SetupMachine::InstanceFolder(); }

    TempDir temp;
    SetupMachine machine{temp};
    std::string root = machine.root;
    ScriptBuilder b;
    std::vector<std::string> headers;
    ScopedFakeMsi msi;
};

TEST_F(RecordingTest, RunningACommandTwiceRecordsItsPairsTwiceWithNewlineMarkers) {
    b.Add("Set Variable", {"COUNT", ""});
    b.Add("Label", {"again"});
    b.Add("Write Registry", {"HKLM", "string", "Software\\X", "Lines", "one$NEWLINE$two"});
    b.Add("Set Variable", {"COUNT", "$COUNT$x"});
    b.Add("If", {"COUNT", "0", "x", "FALSE"});
    b.Add("GoTo Label", {"AGAIN"});
    b.Add("End");
    headers = {"REG", "2"};
    Run();
    EXPECT_EQ(InstanceParameters(), (std::vector<std::string>{
                                        "AREG", "FALSE",                                   // header pass
                                        "AREG", "TRUE", "PREG_1", "Software\\X", "PREG_2", "Lines",
                                        "PREG_3", "one$NEWLINE$two",                       // first run
                                        "AREG", "TRUE", "PREG_1", "Software\\X", "PREG_2", "Lines",
                                        "PREG_3", "one$NEWLINE$two"}));                    // second run
    const auto pending = PendingInstallerProperties();
    ASSERT_EQ(pending.size(), 9u);
    EXPECT_EQ(pending[4].name, "PREG_3");
    EXPECT_EQ(pending[4].value, "one$NEWLINE$two");
}

TEST_F(RecordingTest, MissingHeaderIsAScriptError) {
    b.Add("Create Folder", {"C:\\x\\"});
    Run();
    EXPECT_NE(LastScriptErrorReport().find("Unable to obtain command headers. Please rebuild your project."),
              std::string::npos);
}

TEST_F(RecordingTest, ShortcutNamesForTranslation) {
    b.Add("Create Shortcut", {"$TARGETDIR$app.exe", "My Application", "$TARGETDIR$", "Runs it"});
    b.Add("Create Shortcut", {"$TARGETDIR$app.exe", "Ab", "$TARGETDIR$", ""});
    headers = {"S1", "0", "S2", "1"};
    Run();
    EXPECT_EQ(TranslatedShortcutTexts(), (std::vector<std::string>{"PS1_1", "My App~1|My Application", "Runs it",
                                                                   "PS2_1", "Ab~1|Ab", ""}));
}

TEST_F(RecordingTest, InstallationCachesTheSetupAndRegistersIt) {
    b.Add("Create Folder", {"$TARGETDIR$logs\\"});
    b.Add("Apply Changes", {"progress", "RESULT", "TRUE", "FALSE"});
    headers = {"DIR", "0"};
    Run();
    EXPECT_EQ(LastScriptErrorReport(), "");
    EXPECT_EQ(Value("RESULT"), "COMPLETE");
    EXPECT_EQ(msi.fake.properties["ADIR"], "TRUE");
    EXPECT_EQ(msi.fake.properties["MSINTEMP"], root + "\\temp\\");
    for (const char* f : {"sample.exe", "sample.msi", "sample.res", "keb.dll", "sample.dat", "sample.par",
                          "instance.dat"})
        EXPECT_TRUE(std::filesystem::exists(temp.path() / (Cache() + f))) << f;
    EXPECT_EQ(ReadWholeFile(temp.file(Cache() + "instance.dat")),
              std::string(kProduct) + "\r\n" + kRevision + "\r\nSample\r\n");
    const std::string cache = root + "\\public\\Application Data\\" + kRevision + "\\";
    auto value = [&](const std::string& name) {
        return ReadRegistryString(RegistryRoot::LocalMachine, kUninstall, name).value_or("<missing>");
    };
    EXPECT_EQ(value("UninstallString"), "\"" + cache + "sample.exe\" REMOVE=TRUE MODIFY=FALSE");
    EXPECT_EQ(value("DisplayName"), "Sample");
    EXPECT_EQ(value("DisplayIcon"), cache + "sample.exe");
    EXPECT_EQ(value("ModifyPath"), cache + "sample.exe");
    EXPECT_EQ(value("Publisher"), "Publisher");
    EXPECT_EQ(value("Contact"), "Contact");
    EXPECT_EQ(value("Comments"), "");
    EXPECT_EQ(ReadRegistryString(RegistryRoot::LocalMachine, kIdent, "").value_or(""), cache);
}

// What the system's "Apps" page shows beside the name: version, size,
// place, and which maintenance the script offers.
TEST_F(RecordingTest, TheUninstallEntryCarriesVersionSizePlaceAndMaintenance) {
    temp.write("pf/Sample/app.bin", std::string(3000, 'x'));
    temp.write("pf/Sample/docs/guide.txt", std::string(1100, 'y'));
    msi.fake.productInfo[std::string(kProduct) + "/VersionString"] = "2.1.0";
    b.Add("If", {"REPAIR", "0", "TRUE", "FALSE"}).Add("Set Variable", {"X", "repairing"}).Add("End");
    b.Add("Apply Changes", {"progress", "RESULT", "TRUE", "FALSE"});
    Run();
    EXPECT_EQ(Value("RESULT"), "COMPLETE");
    auto value = [&](const std::string& name) {
        return ReadRegistryData(RegistryRoot::LocalMachine, kUninstall, name).value_or(RegistryData{});
    };
    EXPECT_EQ(value("DisplayVersion").text, "2.1.0");
    EXPECT_EQ(value("InstallLocation").text, root + "\\pf\\Sample\\");
    EXPECT_EQ(value("EstimatedSize").kind, RegistryData::Kind::Number);
    EXPECT_EQ(value("EstimatedSize").number, 5u);  // 4,100 bytes, rounded up to whole KB
    EXPECT_EQ(value("NoModify").number, 1u) << "the script never looks at MODIFY";
    EXPECT_EQ(value("NoRepair").kind, RegistryData::Kind::Number);
    EXPECT_EQ(value("NoRepair").number, 0u) << "the script has a branch for REPAIR";
}

TEST_F(RecordingTest, RemovalUnregistersFromBothRootsAndRemovesTheCache) {
    for (RegistryRoot r : {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser}) {
        WriteRegistryString(r, kUninstall, "DisplayName", "Sample");
        WriteRegistryString(r, kIdent, "", "x");
    }
    temp.write(Cache() + "sample.dat", "");
    b.Add("Apply Changes", {"progress", "$RESULT$", "FALSE", "TRUE"});
    Run();
    EXPECT_EQ(Value("RESULT"), "COMPLETE");
    for (RegistryRoot r : {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser}) {
        EXPECT_FALSE(RegistryKeyExists(r, kUninstall));
        EXPECT_FALSE(RegistryKeyExists(r, kIdent));
    }
    EXPECT_FALSE(std::filesystem::exists(temp.path() / Cache()));
}

TEST_F(RecordingTest, OutcomesReachTheScript) {
    b.Add("Apply Changes", {"progress", "RESULT", "TRUE", "FALSE"});
    msi.fake.installResult = 3010;
    Run();
    EXPECT_EQ(Value("RESULT"), "REBOOT");
    EXPECT_EQ(Value("REBOOTCOMPUTER"), "TRUE");

    msi.fake.installResult = 1603;
    Run();
    EXPECT_EQ(Value("RESULT"), "ERROR");
    EXPECT_NE(Value("LASTERROR"), "");
    EXPECT_FALSE(RegistryKeyExists(RegistryRoot::LocalMachine, kUninstall) &&
                 ReadRegistryString(RegistryRoot::LocalMachine, kUninstall, "DisplayName").value_or("") != "Sample");
}

TEST_F(RecordingTest, MaintenanceWithoutSourcesGivesUpWhenSilent) {
    msi.fake.productState = 5;
    msi.fake.productInfo[std::string(kProduct) + "/PackageCode"] = kRevision;
    b.Add("Apply Changes", {"progress", "RESULT", "TRUE", "FALSE"});
    Run();
    EXPECT_EQ(Value("RESULT"), "CANCEL");
    EXPECT_EQ(Value("LASTERROR"), "Original setup sources required to complete operation, sources not found");
    EXPECT_TRUE(msi.fake.calls.empty() || msi.fake.calls.back() == "MsiQueryProductStateA");
}

TEST_F(RecordingTest, ARevisionCodeThatIsNoGuidNeverTouchesApplicationData) {
    temp.write("public/Application Data/Other Vendor/settings.ini", "keep");
    for (const char* revision : {"", "..", "{99999999-2222-3333-4444-55555555555}"}) {
        for (bool install : {true, false}) {
            SCOPED_TRACE(std::string(revision) + (install ? " install" : " removal"));
            Project().RevisionCode = revision;
            b = ScriptBuilder();
            b.Add("Apply Changes", {"progress", "RESULT", install ? "TRUE" : "FALSE", install ? "FALSE" : "TRUE"});
            Run();
            EXPECT_EQ(Value("RESULT"), "ERROR");
            EXPECT_NE(Value("LASTERROR").find("is not a GUID"), std::string::npos) << Value("LASTERROR");
            EXPECT_EQ(ReadWholeFile(temp.file("public/Application Data/Other Vendor/settings.ini")), "keep");
            EXPECT_FALSE(std::filesystem::exists(temp.path() / "public/Application Data/sample.exe"));
            EXPECT_FALSE(RegistryKeyExists(RegistryRoot::LocalMachine, kUninstall));
        }
    }
}

// The block's server is down: the silent run ends at the command that needs
// the block, exits 1603 and says in the log which block, from where and why.
TEST_F(RecordingTest, AFetchThatFailsEndsTheRunWith1603AndLogsBlockUrlAndReason) {
    Project().MediaMode = 2;
    Startup().logFile = root + "\\setup.log";
    b.Add("Web Media Block", {"Block1", "http://127.0.0.1:9/Block1.7zip"});
    b.Add("Install Files", {"block", "", "$TARGETDIR$"});
    b.Add("Set Variable", {"AFTER", "ran"});
    headers = {"INS", "1"};
    Script s = script();
    s.CommandMediaFolders[1] = "Block1\\";
    RunScript(s, machine.msiPath, nullptr);
    EXPECT_EQ(Value("AFTER"), "<undefined>");
    EXPECT_EQ(Startup().exitCode, kRunFailedExitCode);
    EXPECT_EQ(LastScriptErrorReport(), "") << "the fetch reported its own failure";
    const std::string log = ReadFileText(Startup().logFile).value_or("");
    EXPECT_NE(log.find(Utf16LeFromAnsi("Orvanta: Unable to download installation data from the web (block \"Block1\", "
                                       "http://127.0.0.1:9/Block1.7zip): the server cannot be reached\r\n")),
              std::string::npos);
}

TEST_F(RecordingTest, AnInstallationWithoutItsPropertiesFails) {
    b.Add("Create Folder", {"$TARGETDIR$logs\\"});
    b.Add("Apply Changes", {"progress", "RESULT", "TRUE", "FALSE"});
    headers = {"DIR", "0"};
    msi.fake.openDatabaseResult = 110;  // ERROR_OPEN_FAILED
    Run();
    EXPECT_EQ(Value("RESULT"), "ERROR");
    EXPECT_NE(Value("LASTERROR").find("Unable to write the installer properties"), std::string::npos)
        << Value("LASTERROR");
    EXPECT_EQ(std::count(msi.fake.calls.begin(), msi.fake.calls.end(), "MsiInstallProductA"), 0);
    EXPECT_FALSE(PendingInstallerProperties().empty());
    EXPECT_FALSE(RegistryKeyExists(RegistryRoot::LocalMachine, kUninstall));
}

TEST_F(RecordingTest, ACacheThatCannotBeCompletedIsNotRegistered) {
    std::filesystem::remove(temp.path() / "setup/keb.dll");
    b.Add("Apply Changes", {"progress", "RESULT", "TRUE", "FALSE"});
    Run();
    EXPECT_EQ(Value("RESULT"), "ERROR");
    EXPECT_NE(Value("LASTERROR").find("keb.dll"), std::string::npos) << Value("LASTERROR");
    EXPECT_FALSE(RegistryKeyExists(RegistryRoot::LocalMachine, kUninstall));
    EXPECT_FALSE(RegistryKeyExists(RegistryRoot::LocalMachine, kIdent));
    EXPECT_FALSE(std::filesystem::exists(temp.path() / Cache()));
}

TEST_F(RecordingTest, ALinkInTheCachesPlaceIsNeverFollowed) {
    namespace fs = std::filesystem;
    temp.write("victim/data.txt", "keep");
    const fs::path victim = temp.path() / "victim";
    const fs::path cache = (temp.path() / Cache()).parent_path();
    fs::create_directories(cache.parent_path());
    auto victimContents = [&] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(victim)) names.push_back(entry.path().filename().string());
        return names;
    };

    // Planted before the installation: the installation writes a folder of its own.
    fs::create_directory_symlink(victim, cache);
    b.Add("Apply Changes", {"progress", "RESULT", "TRUE", "FALSE"});
    Run();
    EXPECT_EQ(Value("RESULT"), "COMPLETE");
    EXPECT_EQ(victimContents(), std::vector<std::string>{"data.txt"});
    EXPECT_FALSE(fs::is_symlink(cache));
    EXPECT_TRUE(fs::exists(cache / "sample.exe"));

    // Planted in place of the installed cache: the removal deletes the link only.
    fs::remove_all(cache);
    fs::create_directory_symlink(victim, cache);
    b = ScriptBuilder();
    b.Add("Apply Changes", {"progress", "RESULT", "FALSE", "TRUE"});
    Run();
    EXPECT_EQ(Value("RESULT"), "COMPLETE");
    EXPECT_EQ(ReadWholeFile(temp.file("victim/data.txt")), "keep");
    EXPECT_FALSE(fs::exists(fs::symlink_status(cache)));
}

}  // namespace
