#include <gtest/gtest.h>

#include "bootstrap/CommandLine.h"

namespace {

StartupValues Evaluate(const std::string& raw) {
    StartupValues values;
    EvaluateCommandLine(raw, values);
    return values;
}

using Overrides = std::vector<std::pair<std::string, std::string>>;

TEST(CommandLineTest, SplitsLikeTheProcessArguments) {
    EXPECT_EQ(SplitArguments("\"C:\\My Setup\\setup.exe\"  /s\tA=\"b c\"  "),
              (std::vector<std::string>{"C:\\My Setup\\setup.exe", "/s", "A=b c"}));
    EXPECT_EQ(SplitArguments("setup.exe"), (std::vector<std::string>{"setup.exe"}));
    EXPECT_TRUE(SplitArguments("   ").empty());
    // An unclosed quote runs to the end of the line.
    EXPECT_EQ(SplitArguments("a \"b c"), (std::vector<std::string>{"a", "b c"}));
}

TEST(CommandLineTest, RestAfterTheProgramPart) {
    EXPECT_EQ(CommandLineRest("\"C:\\a b\\setup.exe\" /s X=1"), "/s X=1");
    EXPECT_EQ(CommandLineRest("C:\\setup.exe /s X=1"), "/s X=1");
    EXPECT_EQ(CommandLineRest("C:\\setup.exe"), "");
    EXPECT_EQ(CommandLineRest("\"C:\\setup.exe\""), "");
    EXPECT_EQ(CommandLineRest("\"C:\\setup.exe\" "), "");
    // The character after the closing quote is dropped whatever it is.
    EXPECT_EQ(CommandLineRest("\"C:\\setup.exe\"/s"), "s");
    EXPECT_EQ(CommandLineRest("\"C:\\setup.exe"), "");
    EXPECT_EQ(CommandLineRest(""), "");
}

TEST(CommandLineTest, SilentSwitchIsExactInAnyCase) {
    EXPECT_TRUE(Evaluate("setup.exe /s").silent);
    EXPECT_TRUE(Evaluate("setup.exe -S").silent);
    EXPECT_TRUE(Evaluate("setup.exe /S").silent);
    EXPECT_FALSE(Evaluate("setup.exe /silent").silent);
    EXPECT_FALSE(Evaluate("setup.exe s").silent);
    // The program part never counts as an argument.
    EXPECT_FALSE(Evaluate("/s").silent);
}

TEST(CommandLineTest, LogFileIsLowerCasedAndSlashOnly) {
    StartupValues v = Evaluate("setup.exe /M=C:\\Logs\\Setup.LOG /m=second.log");
    EXPECT_EQ(v.logFile, "c:\\logs\\setup.log");
    EXPECT_EQ(Evaluate("setup.exe -m=x.log").logFile, "");
}

TEST(CommandLineTest, PathSwitchesTakeTheFirstInEitherForm) {
    StartupValues v = Evaluate("setup.exe -L=C:\\Launch\\Run.EXE /l=other /P=D:\\Setups\\App\\ -p=other");
    EXPECT_EQ(v.launcherPath, "c:\\launch\\run.exe");
    EXPECT_EQ(v.installedSetupFolder, "d:\\setups\\app\\");
}

TEST(CommandLineTest, MediaPasswordKeepsItsCase) {
    EXPECT_EQ(Evaluate("setup.exe /K=SeCreT /k=other").mediaPassword, "SeCreT");
    EXPECT_EQ(Evaluate("setup.exe -k=Pa=ss").mediaPassword, "Pa=ss");
}

TEST(CommandLineTest, OverridesKeepCaseAndOrder) {
    StartupValues v = Evaluate("setup.exe TARGETDIR=C:\\Program Files\\App Name=a=b \"TITLE=My App\" Empty=");
    EXPECT_EQ(v.overrides, (Overrides{{"TARGETDIR", "C:\\Program"}, {"Name", "a=b"}, {"TITLE", "My App"},
                                      {"Empty", ""}}));
    // The unmatched "Files\App" has no "=" and is not an override.
}

TEST(CommandLineTest, UnknownDashSwitchesAreIgnored) {
    StartupValues v = Evaluate("setup.exe -X=1 /Y=2 -verbose");
    EXPECT_TRUE(v.overrides.empty());
    EXPECT_FALSE(v.silent);
    EXPECT_EQ(v.logFile, "");
}

TEST(CommandLineTest, OverrideValuesAreNeverTakenForSwitches) {
    StartupValues v = Evaluate("setup.exe URL=http://host/p=1/k=2/m=3");
    EXPECT_EQ(v.overrides, (Overrides{{"URL", "http://host/p=1/k=2/m=3"}}));
    EXPECT_EQ(v.installedSetupFolder, "");
    EXPECT_EQ(v.mediaPassword, "");
    EXPECT_EQ(v.logFile, "");
}

TEST(CommandLineTest, FillsEveryValueFromOneLine) {
    StartupValues v = Evaluate("\"C:\\Setups\\my setup.exe\" /s /m=Log.txt TARGETDIR=\"C:\\Dest Dir\\\"");
    EXPECT_TRUE(v.silent);
    EXPECT_EQ(v.logFile, "log.txt");
    EXPECT_EQ(v.commandLineRest, "/s /m=Log.txt TARGETDIR=\"C:\\Dest Dir\\\"");
    EXPECT_EQ(v.overrides, (Overrides{{"TARGETDIR", "C:\\Dest Dir\\"}}));
}

}  // namespace
