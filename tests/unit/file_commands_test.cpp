#include <gtest/gtest.h>

#include "script/FileSearch.h"
#include "support/ScriptRunTest.h"
#include "system/HostFileVersions.h"
#include "system/HostProcess.h"
#include "system/HostShellFolders.h"
#include "system/Registry.h"

namespace {

class FileCommandsTest : public ScriptRunTest {
protected:
    void SetUp() override {
        ScriptRunTest::SetUp();
        HostFileVersions().clear();
    }
};

TEST_F(FileCommandsTest, FindAllFilesListsEachSubfolderAfterItsMatchesAndTheTopFilesLast) {
    temp.write("tree/b.txt", "");
    temp.write("tree/a.log", "");
    temp.write("tree/one/x.txt", "");
    temp.write("tree/one/deep/y.txt", "");
    temp.write("tree/two words/z.txt", "");
    const std::string top = Path("tree") + "\\";
    b.Add("Find All Files", {top + "*.txt", "TRUE", "TRUE", "ALL"});
    b.Add("Find All Files", {top + "*.txt", "FALSE", "FALSE", "$TOPONLY$"});
    b.Add("Find All Files", {top + "*.none", "FALSE", "FALSE", "NONE"});
    Run();
    const std::string expected = top + "one\\deep\\y.txt|" + top + "one\\deep|" + top + "one\\x.txt|" + top + "one|" +
                                 "\"" + top + "two words\\z.txt\"|\"" + top + "two words\"|" + top + "b.txt";
    EXPECT_EQ(Value("ALL"), expected);
    EXPECT_EQ(Value("TOPONLY"), top + "b.txt");
    EXPECT_EQ(Value("NONE"), "");
}

TEST(FileListTest, QuotingOfEntries) {
    EXPECT_EQ(JoinFileList({}), "");
    EXPECT_EQ(JoinFileList({""}), "\"\"");
    EXPECT_EQ(JoinFileList({"C:\\a", "C:\\say \"hi\"", "C:\\x|y", std::string("C:\\tab\there")}),
              "C:\\a|\"C:\\say \"\"hi\"\"\"|\"C:\\x|y\"|\"C:\\tab\there\"");
}

TEST_F(FileCommandsTest, FileVersionsCompareStrictlyGreater) {
    const std::string file = Path("app.dll"), older = Path("old.dll");
    HostFileVersions()[file] = {1, 2, 3, 4};
    HostFileVersions()[older] = {1, 2, 3, 3};
    b.Add("Get File Version", {file, "VERSION"});
    b.Add("Get File Version", {Path("missing.dll"), "NOVERSION"});
    b.Add("Check File Version", {"SAME", file, "FALSE", "", "1.2.3.4"});
    b.Add("Check File Version", {"SHORTER", file, "FALSE", "", "1.2.3"});
    b.Add("Check File Version", {"NEWER", file, "FALSE", "", "1.2.3.5"});
    b.Add("Check File Version", {"WORDS", file, "FALSE", "", "1.x.9"});
    b.Add("Check File Version", {"FILES", file, "TRUE", older, ""});
    Run();
    EXPECT_EQ(Value("VERSION"), "1.2.3.4");
    EXPECT_EQ(Value("NOVERSION"), "0.0.0.0");
    EXPECT_EQ(Value("SAME"), "FALSE");
    EXPECT_EQ(Value("SHORTER"), "TRUE");
    EXPECT_EQ(Value("NEWER"), "FALSE");
    EXPECT_EQ(Value("WORDS"), "TRUE");  // "x" counts as 0: 1.2.3.4 > 1.0.9
    EXPECT_EQ(Value("FILES"), "TRUE");

    // A version text whose first part is no number is a script error.
    b = ScriptBuilder();
    b.Add("Check File Version", {"BAD", file, "FALSE", "", "v1.2"});
    RunScript(b.script(), ScriptBuilder::PackagePath(), nullptr);
    EXPECT_NE(LastScriptErrorReport().find("'v1' is not a valid integer value"), std::string::npos);
}

TEST_F(FileCommandsTest, ExistenceIniValuesAndFolderLocations) {
    temp.write("settings.ini", "[Main]\r\nName = Orvanta\r\nLong=" + std::string(400, 'x') + "\r\n");
    HostShellState().folders = {{38, "C:\\Program Files\\"}, {5, "C:\\Users\\me\\Documents\\"}};
    HostProcessState().systemFolder = "C:\\Windows\\System32\\";
    WriteRegistryString(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir",
                        "C:\\Program Files\\Common Files");
    WriteRegistryString(RegistryRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots\\",
                        "/,", "c:\\inetpub\\wwwroot,,201");
    b.Add("Does File/Folder Exist", {"FILE", Path("settings.ini"), "TRUE"});
    b.Add("Does File/Folder Exist", {"NOTFOLDER", Path("settings.ini"), "FALSE"});
    b.Add("Does File/Folder Exist", {"FOLDER", temp.path().string(), "FALSE"});
    b.Add("Get INI File Settings", {"NAME", Path("settings.ini"), "main", "name"});
    b.Add("Get INI File Settings", {"LONG", Path("settings.ini"), "Main", "Long"});
    b.Add("Get INI File Settings", {"MISSING", Path("settings.ini"), "Main", "Other"});
    b.Add("Get Folder Location", {"PROGRAMS", "20", "FALSE"});
    b.Add("Get Folder Location", {"COMMON", "20", "TRUE"});
    b.Add("Get Folder Location", {"DOCS", "2", "TRUE"});
    b.Add("Get Folder Location", {"SYSTEM", "23", "FALSE"});
    b.Add("Get Folder Location", {"WEB", "27", "FALSE"});
    b.Add("Get Folder Location", {"NONE", "0", "FALSE"});
    Run();
    EXPECT_EQ(Value("FILE"), "TRUE");
    EXPECT_EQ(Value("NOTFOLDER"), "FALSE");
    EXPECT_EQ(Value("FOLDER"), "TRUE");
    EXPECT_EQ(Value("NAME"), "Orvanta");
    EXPECT_EQ(Value("LONG"), std::string(259, 'x'));
    EXPECT_EQ(Value("MISSING"), "");
    EXPECT_EQ(Value("PROGRAMS"), "C:\\Program Files\\");
    EXPECT_EQ(Value("COMMON"), "C:\\Program Files\\Common Files\\");  // from the registry when the shell has none
    EXPECT_EQ(Value("DOCS"), "C:\\Users\\me\\Documents\\");
    EXPECT_EQ(Value("SYSTEM"), "C:\\Windows\\System32\\");
    EXPECT_EQ(Value("WEB"), "c:\\inetpub\\wwwroot\\");
    EXPECT_EQ(Value("NONE"), "");
}

}  // namespace
