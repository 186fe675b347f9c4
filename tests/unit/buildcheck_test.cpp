// The check says what build says: every refusal of `orvanta build` (forms and
// translations aside) is a finding of `orvanta check` first, at its line; and
// the values the engine runs by its own rules build with --as-written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "script/Payload.h"
#include "support/OrvantaShell.h"
#include "support/PeImage.h"
#include "support/TempDir.h"

namespace {

const char* kHead =
    "ProductCode = {11111111-2222-3333-4444-555555555555}\nRevisionCode = {21111111-2222-3333-4444-555555555555}\n";

const char* kPackage =
    "<?xml version=\"1.0\"?>\n<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n"
    "<Product Id=\"{11111111-2222-3333-4444-555555555555}\" Name=\"T\" Language=\"1033\" Version=\"1.0.0\" "
    "Manufacturer=\"M\" UpgradeCode=\"{31111111-2222-3333-4444-555555555555}\">\n"
    "<Package InstallerVersion=\"200\" Compressed=\"yes\" />\n</Product>\n</Wix>\n";

// A project in the test's folder: its values, then the script.
void WriteProject(const TempDir& dir, const std::string& values, const std::string& script) {
    dir.write("project.orv", "Setup = t\n" + values + kHead + "[script]\n" + script);
    dir.write("product.wxs", kPackage);
    dir.write("engine/kebstub.exe", PeImage({{0x200, 0x200}}));
    dir.write("engine/keb.dll", PeImage({{0x200, 0x200}}));
}

std::string Build(const TempDir& dir, const std::string& options = "") {
    return "build " + dir.path().string() + " -o " + dir.file("out") + " --engine-dir " + dir.file("engine") + options;
}

TEST(BuildCheckTest, WhatBuildRefusesTheCheckReportsAtItsLine) {
    const struct {
        const char* values;
        const char* script;
        const char* finding;  // after "project.orv:"
    } cases[] = {
        {"Package = product.wxs\nWebMedia = Samples | samples\n", "Comment\n",
         "3: WebMedia Samples names 'samples', which is no folder of the project"},
        {"Package = product.wxs\nWebMedia = Samples | media\nMediaFile = Samples | missing.txt | docs\n", "Comment\n",
         "4: MediaFile missing.txt: no such file in web media block Samples (media)"},
        {"Package = product.wxs\nPluginCommand = Sample Action\nPluginLibrary = plugins/sample.dll\n",
         "Sample Action\n  | x\n", "4: PluginLibrary names 'plugins/sample.dll', which is no file of the project"},
        {"Package = product.msi\n", "Create Folder\n  | $TARGETDIR$data\n",
         "2: the recording commands need a .wxs package source to author their rows; product.msi is a finished "
         "package"},
        {"Package = broken.wxs\n", "Comment\n", "2: broken.wxs has no </Product> element"},
        {"Package = product.wxs\nVersion = 2.x\n", "Comment\n",
         "3: Version: '2.x' is no version number (one to four numbers up to 65535 with dots)"},
        {"Package = product.wxs\nIcon = product.ico\n", "Comment\n", "3: Icon product.ico: not an icon file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.values);
        TempDir dir;
        WriteProject(dir, c.values, c.script);
        dir.write("media/readme.txt", "a file of the block");
        dir.write("product.msi", "not looked into");
        dir.write("broken.wxs", "<Wix><Product Id=\"{11111111-2222-3333-4444-555555555555}\"></Wix>");
        dir.write("product.ico", "a picture in another format");
        const std::string expected = dir.file("project.orv") + ":" + c.finding + "\n";

        const auto [checked, checkStatus] = RunOrvanta("check " + dir.path().string());
        EXPECT_EQ(checkStatus, 1);
        EXPECT_EQ(checked, expected);
        const auto [built, buildStatus] = RunOrvanta(Build(dir));
        EXPECT_EQ(buildStatus, 1);
        EXPECT_EQ(built, expected + "orvanta build: " + dir.file("project.orv") +
                             ": not built, the check found 1 problem(s)\n");
        EXPECT_FALSE(std::filesystem::exists(dir.file("out")));
    }
}

TEST(BuildCheckTest, AReferenceWhereTheEngineReadsTheValueAsWrittenIsRefusedWithTheIfForm) {
    TempDir dir;
    WriteProject(dir, "Package = product.wxs\n",
                 "Define Component\n  | Samples\n  | $WANTSAMPLES$\n  | the samples\n"
                 "If\n  | SILENT\n  | $HOW$\n  | TRUE\n  | FALSE\nEnd\n"
                 "GoTo Label\n  | $WHERE$\nLabel\n  | $WHERE$\n"
                 // Integers and numbered enumerations are expanded before they are read.
                 "Mathematics\n  | $COUNT$\n  | 1\n  | $OPERATION$\n  | R\n"
                 "MessageBox\n  | c\n  | t\n  | $ICON$\n  | 1\n  |\n");
    const auto [text, status] = RunOrvanta("check " + dir.path().string());
    EXPECT_EQ(status, 1);
    const std::string file = dir.file("project.orv");
    EXPECT_EQ(text,
              file + ":8: \"Define Component\": p2 (selected) '$WANTSAMPLES$' is read as written: the engine expands "
                     "no $NAME$ in a flag; put the command inside \"If\" (| $WANTSAMPLES$ | equals | TRUE | FALSE) "
                     "and \"End\", with p2 written out, and the other value under \"Else\"\n" +
              file + ":12: \"If\": p2 (comparison) '$HOW$' is read as written: the engine expands no $NAME$ in this "
                     "parameter; put the command inside \"If\" (| $HOW$ | equals | <value> | FALSE) and \"End\", "
                     "with p2 written out\n" +
              file + ":17: \"GoTo Label\": p1 (label name) '$WHERE$' is read as written: the engine expands no $NAME$ "
                     "in this parameter; put the command inside \"If\" (| $WHERE$ | equals | <value> | FALSE) and "
                     "\"End\", with p1 written out\n" +
              file + ":19: \"Label\": p1 (label name) '$WHERE$' is read as written: the engine expands no $NAME$ in "
                     "this parameter; put the command inside \"If\" (| $WHERE$ | equals | <value> | FALSE) and "
                     "\"End\", with p1 written out\n");
}

TEST(BuildCheckTest, AReferenceInARecordingCommandsWordIsRefusedWithTheIfForm) {
    TempDir dir;
    WriteProject(dir, "Package = product.wxs\n",
                 "Delete Files\n  | $TARGETDIR$\n  | *.log\n  | $ONINSTALL$\n  | TRUE\n");
    const auto [text, status] = RunOrvanta("check " + dir.path().string());
    EXPECT_EQ(status, 1);
    EXPECT_EQ(text, dir.file("project.orv") + ":6: \"Delete Files\": p3 '$ONINSTALL$' is read when the setup is "
                                              "built and expands no $NAME$; put the command inside \"If\" and "
                                              "\"End\", with p3 written out\n");
}

// Values setups made elsewhere hold, which the engine runs by its own rules:
// a flag 1 (false), a comparison code beyond 2 (never true), an operand that
// is no number (a script error when the command runs).
const char* kForeignValues = "Define Component\n  | Samples\n  | 1\n  | the samples\n"
                             "If\n  | SILENT\n  | 5\n  | TRUE\n  | FALSE\nEnd\n"
                             "Mathematics\n  | abc\n  | 1\n  | add\n  | R\n";

TEST(BuildCheckTest, ValuesTheEngineRunsByItsOwnRulesBuildAsWrittenAndRebuildToTheSamePayload) {
    if (std::system("command -v 7zz >/dev/null && command -v wixl >/dev/null && command -v msibuild >/dev/null"))
        GTEST_SKIP() << "7zz, wixl or msibuild missing";
    TempDir dir;
    WriteProject(dir, "Package = product.wxs\n", kForeignValues);
    const std::string file = dir.file("project.orv");
    const std::string findings =
        file + ":8: \"Define Component\": p2 (selected) '1' is not a flag: TRUE or FALSE\n" +
        file + ":12: \"If\": p2 (comparison) '5' is not one of 0 (equals), 1 (contains), 2 (greater than)\n" +
        file + ":17: \"Mathematics\": p1 (operand A) 'abc' is not an integer\n";
    auto [text, status] = RunOrvanta(Build(dir));
    EXPECT_EQ(status, 1);
    EXPECT_EQ(text, findings + "orvanta build: " + file + ": not built, the check found 3 problem(s); all of them the "
                               "engine runs by its own rules (--as-written builds those as written)\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out")));

    std::tie(text, status) = RunOrvanta(Build(dir, " --as-written"));
    ASSERT_EQ(status, 0) << text;
    EXPECT_EQ(text.substr(0, findings.size()), findings) << "the findings are still printed";
    const std::string first = ReadAppendedData(dir.file("out/t.exe"));
    const Payload payload = ReadPayload(first);
    ASSERT_EQ(payload.script.CommandNames.at(0), "Define Component");
    EXPECT_EQ(payload.script.ParameterBlocks.at(0).at(2), "1") << "the flag is kept as written";

    // The setup decompiled and built again holds the same payload, byte for byte.
    TempDir again;
    WriteProject(again, "", "");
    ASSERT_EQ(RunOrvanta("decompile " + dir.file("out/t.exe") + " -o " + again.file("project.orv")).second, 0);
    std::string source = ReadWholeFile(again.file("project.orv"));
    const size_t package = source.find("Package =");
    ASSERT_NE(package, std::string::npos) << source;
    source.replace(package, source.find('\n', package) - package, "Package = product.wxs");
    again.write("project.orv", source);
    std::tie(text, status) = RunOrvanta(Build(again));
    EXPECT_EQ(status, 1) << "the check stays strict without the option";
    std::tie(text, status) = RunOrvanta(Build(again, " --as-written"));
    ASSERT_EQ(status, 0) << text;
    EXPECT_NE(text.find("'abc' is not an integer"), std::string::npos) << text;
    EXPECT_TRUE(ReadAppendedData(again.file("out/t.exe")) == first) << "the payloads differ";
}

TEST(BuildCheckTest, AsWrittenBuildsNothingWhileAnotherFindingRemains) {
    TempDir dir;
    WriteProject(dir, "Package = product.wxs\n", std::string(kForeignValues) + "Set Variable\n  | A\n");
    const auto [text, status] = RunOrvanta(Build(dir, " --as-written"));
    EXPECT_EQ(status, 1);
    EXPECT_NE(text.find("\"Set Variable\" takes 2 parameter lines"), std::string::npos) << text;
    EXPECT_NE(text.find("not built, the check found 4 problem(s)\n"), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out")));
}

}  // namespace
