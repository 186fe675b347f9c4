#include <gtest/gtest.h>

#include <cstdlib>

#include "support/ScriptRunTest.h"
#include "system/HostMessageBoxes.h"
#include "system/Registry.h"

namespace {

class CommandsTest : public ScriptRunTest {
protected:
    void SetUp() override {
        ScriptRunTest::SetUp();
        Startup().tempFolder = temp.path().string() + "/";
        HostBoxes().Reset();
    }
};

TEST_F(CommandsTest, SetVariableNameForms) {
    b.Add("Set Variable", {"$TARGETDIR$", "one"}).Add("Set Variable", {"targetdir", "$TARGETDIR$+two"});
    b.Add("Set Variable", {"$X", "literal name"}).Add("Set Variable", {"LIST", "a$NEWLINE$b"});
    Run();
    EXPECT_EQ(Value("TARGETDIR"), "one+two");
    EXPECT_EQ(Value("$X"), "literal name");
    EXPECT_EQ(Value("LIST"), "a\r\nb");
}

TEST_F(CommandsTest, ParseStringWorkedCases) {
    const std::string source = "alpha.beta.gamma";
    const std::vector<std::vector<std::string>> cases = {
        {".", "0", "alpha", "beta.gamma"}, {".", "1", "alpha.beta", "gamma"},
        {"3", "2", "alp", "ha.beta.gamma"}, {"3", "3", "alpha.beta.ga", "mma"},
        {"16", "3", "", ""}, {"0", "2", "", source}, {"", "0", source, ""}, {"x", "1", "", source},
        {"BETA", "0", source, ""}};
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto& c = cases[i];
        b.Add("Parse String", {source, c[0], "F" + std::to_string(i), "S" + std::to_string(i), c[1], "FALSE", "FALSE"});
    }
    b.Add("Parse String", {source, "BETA", "CI1", "CI2", "0", "FALSE", "TRUE"});
    b.Add("Parse String", {"  a : b  ", ":", "T1", "T2", "0", "TRUE", "FALSE"});
    b.Add("Parse String", {"C:\\\\Dir\\\\file", "\\", "P1", "P2", "1", "FALSE", "FALSE"});
    b.Add("Parse String", {"\\\\server\\share", "", "U1", "", "0", "FALSE", "FALSE"});
    Run();
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(Value("F" + std::to_string(i)), cases[i][2]) << i;
        EXPECT_EQ(Value("S" + std::to_string(i)), cases[i][3]) << i;
    }
    EXPECT_EQ(Value("CI1"), "alpha.");
    EXPECT_EQ(Value("CI2"), ".gamma");
    EXPECT_EQ(Value("T1"), "a");
    EXPECT_EQ(Value("T2"), "b");
    EXPECT_EQ(Value("P1"), "C:\\Dir");
    EXPECT_EQ(Value("P2"), "file");
    EXPECT_EQ(Value("U1"), "\\\\server\\share");
}

TEST_F(CommandsTest, MathematicsWorkedCases) {
    const std::vector<std::vector<std::string>> cases = {
        {"7", "2", "3", "3"}, {"-7", "2", "3", "-3"}, {"-7", "2", "4", "-1"}, {"1", "33", "8", "2"},
        {"-1", "28", "9", "15"}, {"5", "0", "3", ""}, {"5", "0", "4", ""}, {"2147483647", "1", "0", "-2147483648"},
        {"-2147483648", "-1", "3", ""}, {"x", "1", "0", ""}, {"6", "3", "5", "2"}, {"6", "3", "6", "7"},
        {"6", "3", "7", "5"}, {"0", "", "10", "-1"}, {"A", "", "11", "65"}, {"321", "", "12", "A"},
        {"1", "1", "99", ""}, {"1", "1", "x", ""}, {"$10", "0x10", "0", "32"}};
    for (size_t i = 0; i < cases.size(); ++i)
        b.Add("Mathematics", {cases[i][0], cases[i][1], cases[i][2], "R" + std::to_string(i)});
    b.Add("Mathematics", {"10", "", "15", "ZERO"});  // the generator before it is set
    b.Add("Mathematics", {"5", "3", "13", "G1"}).Add("Mathematics", {"7", "", "14", "G2"});
    b.Add("Mathematics", {"10", "", "15", "G3"}).Add("Mathematics", {"10", "", "15", ""});
    b.Add("Mathematics", {"10", "", "15", "G5"});
    Run();
    for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(Value("R" + std::to_string(i)), cases[i][3]) << i;
    EXPECT_EQ(Value("ZERO"), "0");
    EXPECT_EQ(Value("G1"), "8");
    EXPECT_EQ(Value("G2"), "7");
    EXPECT_EQ(Value("G3"), "8");
    // The unassigned draw still advanced the generator: 38 -> 193 -> 968.
    EXPECT_EQ(Value("G5"), "8");
}

TEST_F(CommandsTest, ExtractPathParts) {
    const std::vector<std::string> expected = {"file.tar.gz", "file.tar", "gz", "C:\\Dir\\Sub\\", "C:\\Dir\\", "C:\\",
                                               "C:\\Dir\\Sub\\file.tar.gz", "C:\\Dir\\Sub\\file.tar.gz"};
    for (size_t i = 0; i < expected.size(); ++i) {
        const std::string name = "P" + std::to_string(i);
        b.Add("Set Variable", {name, "C:\\Dir\\\\Sub\\file.tar.gz"}).Add("Extract Path", {name, std::to_string(i)});
    }
    b.Add("Set Variable", {"UNC", "\\\\server\\share\\dir\\f.txt"}).Add("Extract Path", {"UNC", "5"});
    b.Add("Set Variable", {"UNC6", "\\\\server\\\\share"}).Add("Extract Path", {"UNC6", "6"});
    Run();
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(Value("P" + std::to_string(i)), expected[i]) << i;
    EXPECT_EQ(Value("UNC"), "\\\\server\\share\\");
    EXPECT_EQ(Value("UNC6"), "\\server\\share");
}

TEST_F(CommandsTest, ReplaceStringRules) {
    b.Add("Set Variable", {"V", "aXbxcX"}).Add("Replace String", {"v", "x", "-", "TRUE", "FALSE"});
    b.Add("Set Variable", {"W", "aXbxcX"}).Add("Replace String", {"W", "x", "-", "TRUE", "TRUE"});
    b.Add("Set Variable", {"Y", "aXbxcX"}).Add("Replace String", {"Y", "x", "-", "FALSE", "TRUE"});
    b.Add("Set Variable", {"Z", "ab"}).Add("Replace String", {"Z", "abc", "-", "TRUE", "TRUE"});
    b.Add("Replace String", {"Z", "", "-", "TRUE", "TRUE"});
    Run();
    EXPECT_EQ(Value("V"), "a-bxcX");
    EXPECT_EQ(Value("W"), "a-b-c-");
    EXPECT_EQ(Value("Y"), "aXb-cX");
    EXPECT_EQ(Value("Z"), "ab");
}

TEST_F(CommandsTest, EnvironmentAndTemporaryFiles) {
    setenv("ORVANTA_TEST_VALUE", "from env", 1);
    b.Add("Set Variable", {"NAME", "ORVANTA_TEST_VALUE"}).Add("Get Environment", {"$NAME$", "$ENV$"});
    b.Add("Get Environment", {"ORVANTA_NO_SUCH_VARIABLE", "MISSING"});
    b.Add("Set Variable", {"TEMPDIR", "/elsewhere/"}).Add("Get Temporary File", {"TMP"});
    Run();
    EXPECT_EQ(Value("ENV"), "from env");
    EXPECT_EQ(Value("MISSING"), "%ORVANTA_NO_SUCH_VARIABLE%");
    const std::string file = Value("TMP");
    EXPECT_TRUE(file.starts_with(Startup().tempFolder + "keb")) << file;
    EXPECT_TRUE(file.ends_with(".tmp")) << file;
    EXPECT_EQ(file.size(), Startup().tempFolder.size() + 11);
    EXPECT_TRUE(std::filesystem::exists(file));
}

TEST_F(CommandsTest, ConvertPathToLongFormNeedsEveryComponent) {
    const std::string folder = temp.path().string();
    temp.write("present.txt", "x");
    b.Add("Set Variable", {"GOOD", folder + "/present.txt"}).Add("Convert Path", {"GOOD", "FALSE"});
    b.Add("Set Variable", {"BAD", "C:\\Nowhere\\missing.txt"}).Add("Convert Path", {"BAD", "FALSE"});
    Run();
    EXPECT_TRUE(Value("GOOD").ends_with("present.txt"));
    EXPECT_EQ(Value("BAD"), "");
}

TEST_F(CommandsTest, MessageBoxStylesAndAnswers) {
    Startup().silent = false;
    HostBoxes().answers = {kIdCancel, kIdRetry};
    b.Add("Set Variable", {"WHO", "World"});
    b.Add("MessageBox", {"Hello $WHO$", "Line one$NEWLINE$Line two", "2", "2", "ANSWER"});
    b.Add("MessageBox", {"Again", "Text", "3", "3", ""});
    b.Add("MessageBox", {"Odd", "Codes", "9", "9", "ODD"});
    Run();
    ASSERT_EQ(HostBoxes().shown.size(), 3u);
    EXPECT_EQ(HostBoxes().shown[0].caption, "Hello World");
    EXPECT_EQ(HostBoxes().shown[0].text, "Line one\r\nLine two");
    EXPECT_EQ(HostBoxes().shown[0].style, unsigned(kMbIconWarning | kMbOkCancel));
    EXPECT_EQ(HostBoxes().shown[1].style, unsigned(kMbIconError | kMbRetryCancel));
    EXPECT_EQ(HostBoxes().shown[2].style, unsigned(kMbOk));
    EXPECT_EQ(Value("ANSWER"), "CANCEL");
    EXPECT_EQ(Value("ODD"), "OK");
}

TEST_F(CommandsTest, ExitCodes) {
    b.Add("Terminate with Exit Code", {"not a number"});
    Startup().exitCode = 5;
    Run();
    EXPECT_EQ(Startup().exitCode, 0);
    ScriptBuilder install;
    install.Add("Set Variable", {"A", "1"}).Add("Terminate Install").Add("Set Variable", {"A", "2"});
    Startup().exitCode = 7;
    RunScript(install.script(), ScriptBuilder::PackagePath(), nullptr);
    EXPECT_EQ(GetVariable("A"), "1");
    EXPECT_EQ(Startup().exitCode, 7);
}

TEST_F(CommandsTest, RebootAndResumeWritesTheRunEntryThenNeedsWindows) {
    Project().ProductCode = "{1234ABCD-0000-1111-2222-333344445555}";
    Startup().exePath = "C:\\Setup\\setup.exe";
    b.Add("Set Variable", {"ALLUSERS", "FALSE"}).Add("Reboot and Resume").Add("Set Variable", {"A", "after"});
    RunScript(b.script(), ScriptBuilder::PackagePath(), nullptr);
    EXPECT_EQ(ReadRegistryString(RegistryRoot::CurrentUser, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\", "1234ABCD"),
              "\"C:\\Setup\\setup.exe\"");
    EXPECT_EQ(LastScriptErrorReport(),
              "Runtime error in setup script:\r\rLine 2: \"Reboot and Resume\" needs Windows: restarting the computer");
    EXPECT_FALSE(VariableExists("A"));
    // The next run removes the entry before its first command.
    ScriptBuilder next;
    next.Add("Comment");
    RunScript(next.script(), ScriptBuilder::PackagePath(), nullptr);
    EXPECT_FALSE(ReadRegistryString(RegistryRoot::CurrentUser, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\", "1234ABCD"));
    Project() = {};
}

// Started by a self-extracting package, the engine runs from a folder that is
// gone after the restart: the entry starts the package, quoted for its blanks.
TEST_F(CommandsTest, RebootAndResumeStartsTheLauncherQuoted) {
    Project().ProductCode = "{1234ABCD-0000-1111-2222-333344445555}";
    Startup().exePath = "C:\\Temp\\orv-0123\\setup.exe";
    Startup().launcherPath = "C:\\My Downloads\\setup.exe";
    b.Add("Set Variable", {"ALLUSERS", "FALSE"}).Add("Reboot and Resume");
    RunScript(b.script(), ScriptBuilder::PackagePath(), nullptr);
    EXPECT_EQ(ReadRegistryString(RegistryRoot::CurrentUser, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\", "1234ABCD"),
              "\"C:\\My Downloads\\setup.exe\"");
    Project() = {};
    Startup() = {};
}

TEST_F(CommandsTest, TextFilesReadLineByLineAndRestart) {
    const std::string file = temp.write("lines.txt", "one\r\ntwo\nthree\r\n");
    for (int i = 1; i <= 4; ++i)
        b.Add("Read from Text File", {file, "L" + std::to_string(i), "E" + std::to_string(i)});
    b.Add("Write to Text File", {file, "zero", "TRUE"});
    b.Add("Read from Text File", {file, "AFTER", "EAFTER"});
    b.Add("Write to Text File", {file, "four", "FALSE"});
    const std::string empty = temp.write("empty.txt", "");
    b.Add("Set Variable", {"EMPTYLINE", "kept"}).Add("Read from Text File", {empty, "EMPTYLINE", "EMPTYEOF"});
    b.Add("Read from Text File", {temp.file("missing.txt"), "MISSINGLINE", "MISSINGEOF"});
    Run();
    EXPECT_EQ(Value("L1"), "one");
    EXPECT_EQ(Value("L2"), "two");
    EXPECT_EQ(Value("L3"), "three");
    EXPECT_EQ(Value("L4"), "one");
    EXPECT_EQ(Value("E1") + Value("E2") + Value("E3") + Value("E4"), "FALSEFALSETRUEFALSE");
    EXPECT_EQ(Value("AFTER"), "zero");
    EXPECT_EQ(Value("EAFTER"), "FALSE");
    EXPECT_EQ(ReadWholeFile(file), "zero\r\none\r\ntwo\r\nthree\r\nfour\r\n");
    EXPECT_EQ(Value("EMPTYLINE"), "kept");
    EXPECT_EQ(Value("EMPTYEOF"), "TRUE");
    EXPECT_EQ(Value("MISSINGLINE"), "");
    EXPECT_EQ(Value("MISSINGEOF"), "TRUE");
}

}  // namespace
