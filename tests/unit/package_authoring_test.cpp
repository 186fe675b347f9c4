#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>

#include "support/TempDir.h"
#include "tools/authoring/PackageAuthoring.h"
#include "tools/authoring/RunProgram.h"

namespace {

const char* kProject =
    "ProductCode = {11111111-2222-3333-4444-555555555555}\n"
    "RevisionCode = {21111111-2222-3333-4444-555555555555}\n"
    "Package = product.wxs\n"
    "[script]\n"
    "Install Files @ header=FILES\n  | payload\n  |\n  | $TARGETDIR$\n"
    "Write Registry @ header=REG\n  | HKCU\n  | integer\n  | Software\\X\n  | Count\n  | 3\n"
    "Edit INI File @ header=INI\n  | $TARGETDIR$\n  | app.ini\n  | 1\n  | S\n  | K\n  | V\n"
    "Set Environment @ header=ENV\n  | =-*APP_HOME\n  | $TARGETDIR$\n"
    "Create Folder @ header=OFF off\n  | $TARGETDIR$unused\\\n";

const char* kSkeleton =
    "<?xml version=\"1.0\"?>\n<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n"
    "<Product Id=\"{11111111-2222-3333-4444-555555555555}\" Name=\"T\" Language=\"1033\" Version=\"1.0.0\" "
    "Manufacturer=\"M\" UpgradeCode=\"{21111111-2222-3333-4444-555555555555}\">\n"
    "<Package InstallerVersion=\"200\" Compressed=\"yes\" />\n<Media Id=\"1\" Cabinet=\"t.cab\" EmbedCab=\"yes\" />\n"
    "<Directory Id=\"TARGETDIR\" Name=\"SourceDir\" />\n</Product>\n</Wix>\n";

Project MakeProject(const TempDir& dir) {
    dir.write("payload/a.txt", "a");
    dir.write("payload/sub/b.txt", "b");
    Project p = ParseProject(kProject, "p.orv");
    p.folder = dir.path().string();
    return p;
}

TEST(PackageAuthoringTest, EveryActiveRecordingCommandGetsGuardedRows) {
    TempDir dir;
    const RecordedRows rows = AuthorRecordedRows(MakeProject(dir));
    EXPECT_NE(rows.wix.find("<Directory Id=\"PFILES_1\" Name=\".\">"), std::string::npos);
    EXPECT_NE(rows.wix.find("Key=\"[PREG_1]\" Name=\"[PREG_2]\" Value=\"[PREG_3]\" Type=\"integer\""), std::string::npos);
    EXPECT_EQ(rows.wix.find("OFF"), std::string::npos);  // commented-out commands own no rows
    int conditions = 0;
    for (const auto& s : rows.sql)
        if (s.find("SET `Condition`") != std::string::npos) ++conditions;
    EXPECT_EQ(conditions, 5);  // two files, registry, INI, environment
}

bool HaveMsiTools() {
    return std::system("command -v wixl >/dev/null && command -v msibuild >/dev/null && command -v msiinfo >/dev/null") == 0;
}

// Compiles the project's rows into t.msi as orvanta build does; returns a
// function that exports one table of it as text.
std::function<std::string(const std::string&)> CompilePackage(TempDir& dir, SetupArch arch) {
    const RecordedRows rows = AuthorRecordedRows(MakeProject(dir), arch);
    std::string wxs = kSkeleton;
    wxs.insert(wxs.rfind("</Product>"), rows.wix);
    dir.write("product.wxs", wxs);
    const std::string wixArch = arch == SetupArch::x64 ? "x64" : "x86";
    EXPECT_EQ(RunProgram({"wixl", "-a", wixArch, "-o", "t.msi", "product.wxs"}, dir.path().string()), 0);
    std::vector<std::string> command = {"msibuild", dir.file("t.msi")};
    for (const auto& s : rows.sql) {
        command.push_back("-q");
        command.push_back(s);
    }
    EXPECT_EQ(RunProgram(command), 0);
    return [&dir](const std::string& table) {
        const std::string out = dir.file(table + ".txt");
        std::system(("msiinfo export " + dir.file("t.msi") + " " + table + " > " + out).c_str());
        return ReadWholeFile(out);
    };
}

TEST(PackageAuthoringTest, CompiledPackageHoldsTheRowsAndConditions) {
    if (!HaveMsiTools()) GTEST_SKIP() << "msitools/wixl not installed";
    TempDir dir;
    auto exportTable = CompilePackage(dir, SetupArch::x86);
    const std::string components = exportTable("Component");
    EXPECT_NE(components.find("AFILES=\"TRUE\""), std::string::npos);
    EXPECT_NE(components.find("AENV=\"TRUE\""), std::string::npos);
    EXPECT_NE(exportTable("IniFile").find("app.ini\tPINI_1\t[PINI_2]\t[PINI_3]\t[PINI_4]\t1\tCINI"), std::string::npos);
    EXPECT_NE(exportTable("Environment").find("=-*APP_HOME\t[PENV_1]\tCENV"), std::string::npos);
    EXPECT_NE(exportTable("InstallExecuteSequence").find("WriteIniValues"), std::string::npos);
    const std::string files = exportTable("File");
    EXPECT_NE(files.find("a.txt"), std::string::npos);
    EXPECT_NE(files.find("b.txt"), std::string::npos);
}

// Component attribute bit 256: the component writes the 64-bit registry view.
TEST(PackageAuthoringTest, OnlyX64PackagesHave64BitComponents) {
    if (!HaveMsiTools()) GTEST_SKIP() << "msitools/wixl not installed";
    for (SetupArch arch : {SetupArch::x86, SetupArch::x64}) {
        SCOPED_TRACE(arch == SetupArch::x64 ? "x64" : "x86");
        TempDir dir;
        std::istringstream components(CompilePackage(dir, arch)("Component"));
        int authored = 0;
        for (std::string line; std::getline(components, line);) {
            std::vector<std::string> fields;
            std::istringstream row(line);
            for (std::string field; std::getline(row, field, '\t');) fields.push_back(field);
            if (fields.size() < 4 || fields[3].empty() || !std::isdigit(static_cast<unsigned char>(fields[3][0]))) continue;
            ++authored;
            EXPECT_EQ((std::stoi(fields[3]) & 256) != 0, arch == SetupArch::x64) << line;
        }
        EXPECT_GE(authored, 5);
    }
}

}  // namespace
