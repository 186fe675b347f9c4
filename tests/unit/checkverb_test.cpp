#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "support/PeImage.h"
#include "support/OrvantaShell.h"
#include "support/TempDir.h"

namespace {

// Runs build/host/orvanta <verb> on a project folder; output and exit status.
std::pair<std::string, int> CheckProject(const TempDir& dir, const std::string& verb = "check") {
    return Shell(OrvantaProgram() + " " + verb + " " + dir.path().string());
}

const char* kHead =
    "ProductCode = {11111111-2222-3333-4444-555555555555}\nRevisionCode = {21111111-2222-3333-4444-555555555555}\n[script]\n";

TEST(CheckVerbTest, MessagesNameTheSourceLineOfTheOffendingCommand) {
    TempDir dir;
    dir.write("project.orv", std::string(kHead) +
                                 "Comment\n"
                                 "\n"
                                 "If\n  | LATER\n  | 0\n  | x\n  | FALSE\n"
                                 "End\n"
                                 "Set Variable\n  | LATER\n  | 1\n");
    auto [text, status] = CheckProject(dir);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(text, dir.file("project.orv") + ":6: Variable not defined: LATER (the engine refuses to run this script)\n");

    dir.write("project.orv", std::string(kHead) + "Set Variable\n  | LATER\n  | 1\nIf\n  | LATER\n  | 0\n  | x\n  | FALSE\nEnd\n");
    std::tie(text, status) = CheckProject(dir);
    EXPECT_EQ(status, 0) << text;
    EXPECT_NE(text.find("Script compiled successfully"), std::string::npos);

    dir.write("project.orv", std::string(kHead) + "  | orphan\n");
    std::tie(text, status) = CheckProject(dir);
    EXPECT_EQ(status, 1);
    EXPECT_NE(text.find("project.orv:4: parameter line before the first command"), std::string::npos);
}

TEST(CheckVerbTest, RecordingCommandValuesThatGiveNoRowsAreFindings) {
    TempDir dir;
    dir.write("project.orv", std::string(kHead) + "Comment\n  | services\n"
                                                  "Control Service\n  | Spooler\n  |\n  | restart\n");
    auto [text, status] = CheckProject(dir);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(text, dir.file("project.orv") +
                        ":6: \"Control Service\": p3 'restart' is not one of start, stop, remove\n");
}

std::pair<std::string, int> CheckScriptText(TempDir& dir, const std::string& script) {
    dir.write("project.orv", std::string(kHead) + script);
    return CheckProject(dir);
}

TEST(CheckVerbTest, UnknownCommandNamesGetTheNearestKnownName) {
    TempDir dir;
    auto [text, status] = CheckScriptText(dir, "Replace Strng\n  | A\n  | b\n  | c\n  | FALSE\n  | FALSE\n"
                                               "IF\n  | A\n  | 0\n  | b\n  | FALSE\nEnd\n");
    EXPECT_EQ(status, 1);
    const std::string file = dir.file("project.orv");
    EXPECT_NE(text.find(file + ":4: unknown command \"Replace Strng\"; did you mean \"Replace String\"?"),
              std::string::npos) << text;
    EXPECT_NE(text.find(file + ":10: unknown command \"IF\"; did you mean \"If\"?"), std::string::npos) << text;
    // A plug-in command the project declares is known.
    dir.write("project.orv", "PluginCommand = Sample Action\n" + std::string(kHead) + "Sample Action\n  | x\n");
    std::tie(text, status) = CheckProject(dir);
    EXPECT_EQ(status, 0) << text;
}

TEST(CheckVerbTest, MissingAndExtraParameterLinesAreNoticedAtTheirCommand) {
    TempDir dir;
    // The value line of Set Variable is missing: the engine would read the
    // next command's id as the value.
    auto [text, status] = CheckScriptText(dir, "Set Variable\n  | A\nMathematics\n  | 1\n  | 2\n  | 0\n  | B\n  | extra\n");
    EXPECT_EQ(status, 1);
    const std::string file = dir.file("project.orv");
    EXPECT_NE(text.find(file + ":4: \"Set Variable\" takes 2 parameter lines (variable, value), found 1"),
              std::string::npos) << text;
    EXPECT_NE(text.find(file + ":6: \"Mathematics\" takes 4 parameter lines"), std::string::npos) << text;
    // Parameters only the authoring tool reads may be left off.
    std::tie(text, status) = CheckScriptText(dir, "Create Folder\n  | $TARGETDIR$\\data\n"
                                                  "Copy/Move Local Files\n  | a\n  | *.txt\n  | b\n");
    EXPECT_EQ(status, 0) << text;
}

TEST(CheckVerbTest, ValuesThatDoNotParseForTheirKindNameTheirLine) {
    TempDir dir;
    auto [text, status] = CheckScriptText(dir, "Mathematics\n  | 1\n  | two\n  | 16\n  | R\n"
                                               "Convert Path\n  | R\n  | yes\n"
                                               "MessageBox\n  | c\n  | t\n  | $ICON$\n  | 1\n  |\n"
                                               "Is MSI Setup Installed\n  | 6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D\n  | R\n");
    EXPECT_EQ(status, 1);
    const std::string file = dir.file("project.orv");
    EXPECT_NE(text.find(file + ":6: \"Mathematics\": p2 (operand B) 'two' is not an integer"), std::string::npos)
        << text;
    EXPECT_NE(text.find(file + ":7: \"Mathematics\": p3 (operation) '16' is not one of 0 (A + B)"),
              std::string::npos) << text;
    EXPECT_NE(text.find(file + ":11: \"Convert Path\": p2 (short form) 'yes' is not a flag: TRUE or FALSE"),
              std::string::npos) << text;
    EXPECT_NE(text.find(file + ":19: \"Is MSI Setup Installed\": p1 (product code) '6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D' "
                        "is not a GUID in braces"), std::string::npos) << text;
    EXPECT_EQ(text.find("MessageBox"), std::string::npos) << "a $NAME$ value is known only at run time: " << text;
}

TEST(CheckVerbTest, BlockMistakesAreReportedAtTheOpeningOrStrayCommand) {
    TempDir dir;
    auto [text, status] = CheckScriptText(dir, "Comment\n  | x\n"
                                               "If\n  | SILENT\n  | 0\n  | TRUE\n  | FALSE\n"
                                               "Comment\n  | never closed\n");
    EXPECT_EQ(status, 1);
    const std::string file = dir.file("project.orv");
    EXPECT_EQ(text, file + ":6: \"If\" without its \"End\"\n");

    std::tie(text, status) = CheckScriptText(dir, "Else\nEnd\n");
    EXPECT_EQ(status, 1);
    EXPECT_NE(text.find(file + ":4: \"Else\" without \"If\""), std::string::npos) << text;
    EXPECT_NE(text.find(file + ":5: \"End\" without \"If\" or \"Wizard Loop\""), std::string::npos) << text;
}

TEST(CheckVerbTest, BuildChecksFirstAndBuildsNothingFromAFaultyProject) {
    TempDir dir;
    dir.write("project.orv", std::string(kHead) + "If\n  | SILENT\n  | 0\n  | TRUE\n  | FALSE\n");
    auto [text, status] = CheckProject(dir, "build -o " + dir.file("out"));
    EXPECT_EQ(status, 1);
    EXPECT_NE(text.find(dir.file("project.orv") + ":4: \"If\" without its \"End\""), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out")));
}

const char* kPackage =
    "<?xml version=\"1.0\"?>\n<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n"
    "<Product Id=\"%s\" Name=\"T\" Language=\"1033\" Version=\"1.0.0\" Manufacturer=\"M\" "
    "UpgradeCode=\"{31111111-2222-3333-4444-555555555555}\">\n"
    "<Package InstallerVersion=\"200\" Compressed=\"yes\" />%s\n</Product>\n</Wix>\n";

std::string PackageSource(const std::string& productId, const std::string& extra = "") {
    char text[1024];
    std::snprintf(text, sizeof text, kPackage, productId.c_str(), extra.c_str());
    return text;
}

TEST(CheckVerbTest, APackageWithAnotherProductCodeIsAFinding) {
    TempDir dir;
    const std::string project = "Package = product.wxs\n" + std::string(kHead) + "Comment\n";
    dir.write("project.orv", project);
    dir.write("product.wxs", PackageSource("{11111111-2222-3333-4444-555555555555}"));
    auto [text, status] = CheckProject(dir);
    EXPECT_EQ(status, 0) << text;

    dir.write("product.wxs", PackageSource("{A1111111-2222-3333-4444-555555555555}"));
    std::tie(text, status) = CheckProject(dir);
    EXPECT_EQ(status, 1);
    EXPECT_NE(text.find("project.orv:2: ProductCode {11111111-2222-3333-4444-555555555555} differs from the product "
                        "code of product.wxs ({A1111111-2222-3333-4444-555555555555})"), std::string::npos) << text;
    dir.write("product.wxs", PackageSource("*"));
    std::tie(text, status) = CheckProject(dir);
    EXPECT_EQ(status, 1);
    EXPECT_NE(text.find("makes a new one at every build"), std::string::npos) << text;
}

TEST(CheckVerbTest, AFailedBuildLeavesTheOutputFolderAsItWas) {
    if (std::system("command -v 7zz >/dev/null && command -v wixl >/dev/null && command -v msibuild >/dev/null"))
        GTEST_SKIP() << "7zz, wixl or msibuild missing";
    TempDir dir;
    dir.write("engine/kebstub.exe", PeImage({{0x200, 0x200}}));
    dir.write("engine/keb.dll", PeImage({{0x200, 0x200}}));
    dir.write("out/notes.txt", "the author's own");
    dir.write("project.orv", "Setup = t\nPackage = product.wxs\nSupport = support\n" + std::string(kHead) + "Comment\n");
    dir.write("support/readme.txt", "support");
    // The check passes; the package compiler then fails, late in the build.
    dir.write("product.wxs", PackageSource("{11111111-2222-3333-4444-555555555555}", "<Unknown/>"));
    const std::string build = "build -o " + dir.file("out") + " --engine-dir " + dir.file("engine");
    auto [text, status] = CheckProject(dir, build);
    EXPECT_EQ(status, 1) << text;
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) left.push_back(entry.path().filename());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"engine", "out", "product.wxs", "project.orv", "support"}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("out")), {}), 1);

    // A good build adds its files beside the author's; the tools' banners only with -v.
    dir.write("product.wxs", PackageSource("{11111111-2222-3333-4444-555555555555}"));
    std::tie(text, status) = CheckProject(dir, build);
    EXPECT_EQ(status, 0) << text;
    EXPECT_EQ(text.find("7-Zip"), std::string::npos) << text;
    for (const char* name : {"notes.txt", "t.exe", "keb.dll", "t.res", "t.msi"})
        EXPECT_TRUE(std::filesystem::is_regular_file(dir.file("out/") + name)) << name;
    std::tie(text, status) = CheckProject(dir, build + " -v");
    EXPECT_EQ(status, 0) << text;
    EXPECT_NE(text.find("7-Zip"), std::string::npos) << text;
}

// A project that builds, with the engine stand-ins, in `folder` of the test's
// folder; `script` is its script after the head.
void WriteBuildableProject(const TempDir& dir, const std::string& folder, const std::string& script) {
    dir.write(folder + "/project.orv", "Setup = t\nPackage = product.wxs\n" + std::string(kHead) + script);
    dir.write(folder + "/product.wxs", PackageSource("{11111111-2222-3333-4444-555555555555}"));
    dir.write("engine/kebstub.exe", PeImage({{0x200, 0x200}}));
    dir.write("engine/keb.dll", PeImage({{0x200, 0x200}}));
}

std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(CheckVerbTest, ADestinationTheBuildCannotReplaceStopsItBeforeAnyFileMoves) {
    TempDir dir;
    WriteBuildableProject(dir, "first", "Comment\n");
    WriteBuildableProject(dir, "second", "Comment\nComment\n  | another setup\n");
    std::string package = ReadWholeFile(dir.file("second/product.wxs"));
    dir.write("second/product.wxs", package.replace(package.find("1.0.0"), 5, "2.0.0"));
    const std::string build = " -o " + dir.file("out") + " --engine-dir " + dir.file("engine");
    auto [text, status] = Shell(OrvantaProgram() + " build " + dir.file("first") + build);
    ASSERT_EQ(status, 0) << text;
    const std::vector<std::string> built = Listing(dir.file("out"));
    EXPECT_EQ(built, (std::vector<std::string>{"data", "keb.dll", "t.exe", "t.msi", "t.res"}));
    const std::string setup = ReadWholeFile(dir.file("out/t.exe")), msi = ReadWholeFile(dir.file("out/t.msi"));

    // The marker folder is a link to a folder elsewhere.
    std::filesystem::remove_all(dir.file("out/data"));
    std::filesystem::create_directory(dir.file("elsewhere"));
    std::filesystem::create_directory_symlink(dir.file("elsewhere"), dir.file("out/data"));
    std::tie(text, status) = Shell(OrvantaProgram() + " build " + dir.file("second") + build);
    EXPECT_EQ(status, 1) << text;
    EXPECT_NE(text.find(dir.file("out/data") + " is a link; not building through it"), std::string::npos) << text;
    EXPECT_TRUE(ReadWholeFile(dir.file("out/t.exe")) == setup) << "t.exe was replaced";
    EXPECT_TRUE(ReadWholeFile(dir.file("out/t.msi")) == msi) << "t.msi was replaced";
    EXPECT_EQ(Listing(dir.file("out")), built);
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("elsewhere")));

    // A folder stands where the build makes a file.
    std::filesystem::remove(dir.file("out/data"));
    std::filesystem::create_directory(dir.file("out/data"));
    std::filesystem::remove(dir.file("out/t.res"));
    std::filesystem::create_directory(dir.file("out/t.res"));
    std::tie(text, status) = Shell(OrvantaProgram() + " build " + dir.file("second") + build);
    EXPECT_EQ(status, 1) << text;
    EXPECT_NE(text.find(dir.file("out/t.res") + " is a folder where the build makes a file"), std::string::npos) << text;
    EXPECT_TRUE(ReadWholeFile(dir.file("out/t.exe")) == setup) << "t.exe was replaced";
    EXPECT_TRUE(ReadWholeFile(dir.file("out/t.msi")) == msi) << "t.msi was replaced";
    EXPECT_EQ(Listing(dir.file("out")), built);
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("out/data")));
}

// A shell script run as root in a mount namespace of its own: the mounts it
// makes vanish with it. Its output, and its exit status (not 0 when a mount
// or anything else failed: never a silent pass).
std::pair<std::string, int> InOwnMounts(const std::string& script) {
    return Shell("LC_ALL=C unshare --mount --propagation private sh -euc '" + script + "'");
}

TEST(CheckVerbTest, BuildsIntoAMountPointAndRefusesAMountInsideIt) {
    TempDir dir;
    WriteBuildableProject(dir, "first", "Comment\n");
    WriteBuildableProject(dir, "second", "Comment\nComment\n  | another setup\n");
    std::filesystem::create_directory(dir.file("out"));
    const std::string orvanta = OrvantaProgram();
    const std::string out = dir.file("out"), engine = " --engine-dir " + dir.file("engine");
    auto [text, status] = InOwnMounts(
        "mount -t tmpfs orvanta-test " + out + "; echo own > " + out + "/notes.txt; " +
        orvanta + " build " + dir.file("first") + " -o " + out + engine + " >/dev/null || echo first build failed; " +
        "ls -A " + out + "; cp " + out + "/t.exe " + dir.file("first.exe") + "; " +
        // The marker folder is a mount of its own: nothing can move into it.
        "mount -t tmpfs orvanta-test " + out + "/data; " +
        orvanta + " build " + dir.file("second") + " -o " + out + engine + " || echo second build failed; " +
        "cmp " + out + "/t.exe " + dir.file("first.exe") + " && ls -A " + out + "/data");
    EXPECT_EQ(status, 0) << text;
    EXPECT_EQ(text, "data\nkeb.dll\nnotes.txt\nt.exe\nt.msi\nt.res\n"
                    "orvanta build: " + out + "/data is on another mount than its output folder; a build cannot move "
                    "into it\nsecond build failed\n");
    EXPECT_TRUE(std::filesystem::is_empty(out)) << "the test's mounts stay in its namespace";
}

TEST(CheckVerbTest, HeaderMistakesNameTheirOwnLineAndAByteOrderMarkIsAccepted) {
    TempDir dir;
    dir.write("project.orv", "\xEF\xBB\xBF# a project saved by an editor that marks UTF-8\n" + std::string(kHead) +
                                 "Comment\n");
    auto [text, status] = CheckProject(dir);
    EXPECT_EQ(status, 0) << text;

    dir.write("project.orv", "# comment\nTitle = A\nProductCode = {1}\nRevisionCode = {21111111-2222-3333-4444-555555555555}\n");
    std::tie(text, status) = CheckProject(dir);
    EXPECT_EQ(status, 1);
    EXPECT_NE(text.find("project.orv:3: ProductCode must be a GUID"), std::string::npos) << text;

    dir.write("project.orv", "Title = A\n" + std::string(kHead).insert(0, "Title = B\n"));
    std::tie(text, status) = CheckProject(dir);
    EXPECT_EQ(status, 1);
    EXPECT_NE(text.find("project.orv:2: 'Title' is given twice (first at line 1)"), std::string::npos) << text;

    dir.write("project.orv", "MediaMode = 7\n" + std::string(kHead));
    std::tie(text, status) = CheckProject(dir);
    EXPECT_EQ(status, 1);
    EXPECT_NE(text.find("project.orv:1: MediaMode must be 1, 2 or 3, not '7'"), std::string::npos) << text;
    dir.write("project.orv", "ShowLanguageDialog = yes\n" + std::string(kHead));
    std::tie(text, status) = CheckProject(dir);
    EXPECT_EQ(status, 1);
    EXPECT_NE(text.find("project.orv:1: ShowLanguageDialog must be TRUE or FALSE, not 'yes'"), std::string::npos)
        << text;

    // Build would read these; a misspelt folder must not give an empty archive.
    dir.write("project.orv", "Package = product.wxs\nSupport = suport\n" + std::string(kHead));
    std::tie(text, status) = CheckProject(dir);
    EXPECT_EQ(status, 1);
    EXPECT_NE(text.find("project.orv:1: Package names 'product.wxs', which is no file of the project"),
              std::string::npos) << text;
    EXPECT_NE(text.find("project.orv:2: Support names 'suport', which is no folder of the project"),
              std::string::npos) << text;
}

}  // namespace
