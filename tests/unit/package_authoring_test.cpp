#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>

#include "support/TempDir.h"
#include "tools/authoring/PackageAuthoring.h"
#include "tools/authoring/PackageTimes.h"
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

// The kinds that act on services, file types, local files and ODBC.
const char* kMoreKinds =
    "ProductCode = {11111111-2222-3333-4444-555555555555}\n"
    "RevisionCode = {21111111-2222-3333-4444-555555555555}\n"
    "Package = product.wxs\n"
    "[script]\n"
    "Install Service @ header=SVC\n  | payload/a.txt\n  | $TARGETDIR$\n  | shared\n  | OrvSvc\n  | Orv Service\n"
    "  | Does things\n  | demand\n  | critical\n  | LocalSystem\n  |\n  | start\n  | stop, remove\n  | -v\n"
    "  | RpcSs\n  | Base\n"
    "Control Service @ header=CTL\n  | Spooler\n  |\n  | stop\n  | start\n  | TRUE\n"
    "Create File Type @ header=FT\n  | Orv.Doc\n  | orvx\n  | Orvanta document\n  | $TARGETDIR$a.txt\n  | \"%1\"\n"
    "  | edit\n"
    "Copy/Move Local Files @ header=MV\n  | $TARGETDIR$\n  | *.log\n  | $TARGETDIR$old\\\n  |\n  | TRUE\n"
    "Delete Files @ header=DEL\n  | $TARGETDIR$\n  | *.tmp\n  | FALSE\n  | TRUE\n"
    "Install ODBC Driver @ header=DRV\n  | Orv Driver\n  | payload/a.txt\n  | payload/sub/b.txt\n  | $TARGETDIR$\n"
    "  | APILevel=1;FileUsage=0\n"
    "Create ODBC DSN @ header=DSN\n  | OrvData\n  | Orv Driver\n  | user\n  | Database=orv.db\n";

// The advertised kinds: their program is a file of the project.
const char* kAdvertised =
    "ProductCode = {11111111-2222-3333-4444-555555555555}\n"
    "RevisionCode = {21111111-2222-3333-4444-555555555555}\n"
    "Package = product.wxs\n"
    "[script]\n"
    "Advertised File Type @ header=AFT\n  | Orv.Doc\n  | orvx\n  | Orvanta document\n  | payload/a.txt\n  |\n"
    "  | \"%1\"\n  | Orv Tools\n"
    "Advertised Shortcut @ header=ASC\n  | payload/sub/b.txt\n  | Orv Viewer\n  | $STARTMENU$\n  | Views documents\n"
    "  | -view\n  | $TARGETDIR$\n";

// A private assembly and one for the global assembly cache.
const char* kAssemblies =
    "ProductCode = {11111111-2222-3333-4444-555555555555}\n"
    "RevisionCode = {21111111-2222-3333-4444-555555555555}\n"
    "Package = product.wxs\n"
    "[script]\n"
    "Install Assembly @ header=PRV\n  | payload/a.txt\n  | FALSE\n  | $TARGETDIR$lib\\\n  | Orv.Private\n  | 1.2.0.0\n"
    "Install Assembly @ header=GAC\n  | payload/sub/b.txt\n  | TRUE\n  | $TARGETDIR$\n  | Orv.Shared\n  | 2.0.0.0\n"
    "  | de\n  | 0123456789abcdef\n  | MSIL\n";

Project MakeProject(const TempDir& dir, const char* text = kProject) {
    dir.write("payload/a.txt", "a");
    dir.write("payload/sub/b.txt", "b");
    Project p = ParseProject(text, "p.orv");
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
std::function<std::string(const std::string&)> CompilePackage(TempDir& dir, SetupArch arch,
                                                              const char* project = kProject) {
    const RecordedRows rows = AuthorRecordedRows(MakeProject(dir, project), arch);
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

// The table's rows, each as its tab-separated fields.
std::vector<std::vector<std::string>> TableRows(const std::string& exported) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(exported);
    std::string line;
    for (int header = 0; header < 3 && std::getline(lines, line); ++header) {}
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields;
        std::istringstream row(line);
        for (std::string field; std::getline(row, field, '\t');) fields.push_back(field);
        if (line.back() == '\t') fields.emplace_back();
        rows.push_back(fields);
    }
    return rows;
}

using Row = std::vector<std::string>;

TEST(PackageAuthoringTest, ServicesFileTypesLocalFilesAndOdbcGetTheirRows) {
    if (!HaveMsiTools()) GTEST_SKIP() << "msitools/wixl not installed";
    TempDir dir;
    auto exportTable = CompilePackage(dir, SetupArch::x86, kMoreKinds);
    EXPECT_EQ(TableRows(exportTable("ServiceInstall")),
              std::vector<Row>({{"SSVC", "[PSVC_2]", "[PSVC_3]", "32", "3", "3", "[PSVC_8]", "[PSVC_7]", "[PSVC_4]",
                                 "[PSVC_5]", "[PSVC_6]", "CSVC", "[PSVC_9]"}}));
    // Events: 1 start on install; 32 stop and 128 remove on removal; 2 stop on install, 16 start on removal.
    auto controls = TableRows(exportTable("ServiceControl"));
    std::sort(controls.begin(), controls.end());
    EXPECT_EQ(controls, std::vector<Row>({{"VCTL", "[PCTL_1]", "18", "[PCTL_2]", "1", "CCTL"},
                                          {"VSVC", "[PSVC_2]", "161", "[PSVC_6]", "1", "CSVC"}}));
    EXPECT_NE(exportTable("File").find("FSVC\tCSVC\ta.txt"), std::string::npos);

    auto registry = TableRows(exportTable("Registry"));
    std::sort(registry.begin(), registry.end(), [](const Row& a, const Row& b) { return a[2] < b[2]; });
    ASSERT_EQ(registry.size(), 3u);
    for (const auto& r : registry) EXPECT_EQ(r[1], "0") << "HKCR";  // root 0: classes
    EXPECT_EQ(Row(registry[0].begin() + 2, registry[0].end()), Row({".[PFT_2]", "", "[PFT_1]", "CFT"}));
    EXPECT_EQ(Row(registry[1].begin() + 2, registry[1].end()), Row({"[PFT_1]", "", "[PFT_3]", "CFT"}));
    EXPECT_EQ(Row(registry[2].begin() + 2, registry[2].end()),
              Row({"[PFT_1]\\shell\\edit\\command", "", "\"[PFT_4]\" [PFT_5]", "CFT"}));

    EXPECT_EQ(TableRows(exportTable("MoveFile")), std::vector<Row>({{"MMV", "CMV", "*.log", "", "PMV_1", "PMV_2", "1"}}));
    EXPECT_EQ(TableRows(exportTable("RemoveFile")), std::vector<Row>({{"RDEL", "CDEL", "*.tmp", "PDEL_1", "2"}}));

    EXPECT_EQ(TableRows(exportTable("ODBCDriver")), std::vector<Row>({{"DDRV", "CDRV", "Orv Driver", "FDRV", "GDRV"}}));
    auto attributes = TableRows(exportTable("ODBCAttribute"));
    std::sort(attributes.begin(), attributes.end());
    EXPECT_EQ(attributes, std::vector<Row>({{"DDRV", "APILevel", "1"}, {"DDRV", "FileUsage", "0"}}));
    EXPECT_EQ(TableRows(exportTable("ODBCDataSource")), std::vector<Row>({{"ODSN", "CDSN", "OrvData", "Orv Driver", "1"}}));
    EXPECT_EQ(TableRows(exportTable("ODBCSourceAttribute")), std::vector<Row>({{"ODSN", "Database", "orv.db"}}));

    const std::string sequence = exportTable("InstallExecuteSequence");
    for (const char* action : {"StopServices\t\t1900", "DeleteServices\t\t2000", "InstallServices\t\t5800",
                               "StartServices\t\t5900", "MoveFiles\t\t3800", "RemoveFiles\t\t3500",
                               "RemoveODBC\t\t2400", "InstallODBC\t\t5400", "WriteRegistryValues"})
        EXPECT_NE(sequence.find(action), std::string::npos) << action;
    const std::string components = exportTable("Component");
    for (const char* header : {"SVC", "CTL", "FT", "MV", "DEL", "DRV", "DSN"})
        EXPECT_NE(components.find("A" + std::string(header) + "=\"TRUE\""), std::string::npos) << header;
}

TEST(PackageAuthoringTest, AdvertisedFileTypesAndShortcutsGetTheirRows) {
    if (!HaveMsiTools()) GTEST_SKIP() << "msitools/wixl not installed";
    TempDir dir;
    auto exportTable = CompilePackage(dir, SetupArch::x86, kAdvertised);
    EXPECT_EQ(TableRows(exportTable("ProgId")), std::vector<Row>({{"Orv.Doc", "", "", "Orvanta document", "", ""}}));
    EXPECT_EQ(TableRows(exportTable("Extension")), std::vector<Row>({{"orvx", "CAFT", "Orv.Doc", "", "OrvantaRecorded"}}));
    EXPECT_EQ(TableRows(exportTable("Verb")), std::vector<Row>({{"orvx", "open", "1", "", "\"%1\""}}));
    const auto shortcuts = TableRows(exportTable("Shortcut"));
    ASSERT_EQ(shortcuts.size(), 1u);
    EXPECT_EQ(Row(shortcuts[0].begin(), shortcuts[0].begin() + 7),
              Row({"SASC", "PASC_1", "Orv Viewer", "CASC", "OrvantaRecorded", "[PASC_3]", "Views documents"}));
    EXPECT_EQ(shortcuts[0][11], "PASC_4");
    const std::string files = exportTable("File");
    EXPECT_NE(files.find("FAFT\tCAFT\ta.txt"), std::string::npos);
    EXPECT_NE(files.find("FASC\tCASC\tb.txt"), std::string::npos);
    // The file type's program goes below Program Files; the shortcut's into its working folder.
    EXPECT_EQ(TableRows(exportTable("CustomAction")),
              std::vector<Row>({{"SetDAFT", "51", "DAFT", "[ProgramFilesFolder]Orv Tools\\", ""}}));
    const std::string directories = exportTable("Directory");
    EXPECT_NE(directories.find("DAFT\tTARGETDIR\t."), std::string::npos);
    EXPECT_NE(directories.find("PASC_4\tTARGETDIR\t."), std::string::npos);
    EXPECT_NE(exportTable("Component").find("CASC\t{"), std::string::npos);
    const std::string sequence = exportTable("InstallExecuteSequence");
    EXPECT_NE(sequence.find("SetDAFT\t\t990"), std::string::npos);
    for (const char* action : {"RegisterExtensionInfo", "RegisterProgIdInfo", "UnregisterExtensionInfo",
                               "UnregisterProgIdInfo", "CreateShortcuts", "RemoveShortcuts"})
        EXPECT_NE(sequence.find(action), std::string::npos) << action;
    const std::string components = exportTable("Component");
    EXPECT_NE(components.find("AAFT=\"TRUE\""), std::string::npos);
    EXPECT_NE(components.find("AASC=\"TRUE\""), std::string::npos);
}

TEST(PackageAuthoringTest, AssembliesGetTheirRows) {
    if (!HaveMsiTools()) GTEST_SKIP() << "msitools/wixl not installed";
    TempDir dir;
    auto exportTable = CompilePackage(dir, SetupArch::x86, kAssemblies);
    auto assemblies = TableRows(exportTable("MsiAssembly"));
    std::sort(assemblies.begin(), assemblies.end());
    // A global assembly has no application file.
    EXPECT_EQ(assemblies, std::vector<Row>({{"CGAC", "OrvantaRecorded", "FGAC", "", "0"},
                                            {"CPRV", "OrvantaRecorded", "FPRV", "FPRV", "0"}}));
    auto names = TableRows(exportTable("MsiAssemblyName"));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, std::vector<Row>({{"CGAC", "Culture", "de"},
                                       {"CGAC", "Name", "Orv.Shared"},
                                       {"CGAC", "ProcessorArchitecture", "MSIL"},
                                       {"CGAC", "PublicKeyToken", "0123456789abcdef"},
                                       {"CGAC", "Version", "2.0.0.0"},
                                       {"CPRV", "Culture", "neutral"},
                                       {"CPRV", "Name", "Orv.Private"},
                                       {"CPRV", "Version", "1.2.0.0"}}));
    EXPECT_NE(exportTable("File").find("FPRV\tCPRV\ta.txt"), std::string::npos);
    EXPECT_NE(exportTable("Directory").find("PPRV_1\tTARGETDIR\t."), std::string::npos);
    const std::string sequence = exportTable("InstallExecuteSequence");
    EXPECT_NE(sequence.find("MsiPublishAssemblies\t\t6250"), std::string::npos);
    EXPECT_NE(sequence.find("MsiUnpublishAssemblies\t\t1750"), std::string::npos);
    EXPECT_NE(exportTable("Component").find("AGAC=\"TRUE\""), std::string::npos);
}

// A service, an ODBC driver with its setup library and an assembly whose
// files a web media block brings: payload/a.txt stays in the block's own
// tree, payload/sub/ is moved to Drivers\odbc\ by the media file map.
const char* kFromBlock =
    "ProductCode = {11111111-2222-3333-4444-555555555555}\n"
    "RevisionCode = {21111111-2222-3333-4444-555555555555}\n"
    "Package = product.wxs\n"
    "MediaMode = 2\n"
    "WebMedia = Block1 | payload\n"
    "MediaFile = Block1 | sub\\b.txt | Drivers\\odbc\n"
    "MediaFile = Block1 | sub\\c.txt | Drivers\\odbc\n"
    "[script]\n"
    "Install Files @ header=CAB\n  | payload/sub/b.txt\n  |\n  | $TARGETDIR$\n"
    "Web Media Block\n  | Block1\n  | http://127.0.0.1/Block1.7zip\n"
    "Install Service @ header=SVC media=Block1\\\n  | payload/a.txt\n  | $TARGETDIR$\n  | own\n  | OrvSvc\n"
    "Install ODBC Driver @ header=DRV media=Block1\\\n  | Orv Driver\n  | payload/sub/b.txt\n  | payload/sub/c.txt\n"
    "  | $TARGETDIR$odbc\\\n"
    "Install Assembly @ header=PRV media=Block1\\\n  | payload/a.txt\n  | FALSE\n  | $TARGETDIR$lib\\\n  | Orv.Private\n";

// Their files are rows of the package but not in its cabinet: the installer
// copies them from its source folder, the data folder, where the fetch leaves
// them. The package's source is then not compressed, and a file in the
// cabinet says it is compressed.
TEST(PackageAuthoringTest, KindsWithFilesFromABlockInstallThemFromTheDataFolder) {
    if (!HaveMsiTools()) GTEST_SKIP() << "msitools/wixl not installed";
    TempDir dir;
    dir.write("payload/sub/c.txt", "c");
    auto exportTable = CompilePackage(dir, SetupArch::x86, kFromBlock);
    // 8192: not compressed; the sequence on the data folder's medium, above the cabinet's.
    auto files = TableRows(exportTable("File"));
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, std::vector<Row>({{"FCAB_1", "CCAB_1", "b.txt", "1", "", "", "16896", "1"},
                                       {"FDRV", "CDRV", "b.txt", "1", "", "", "8192", "1000002"},
                                       {"FPRV", "CPRV", "a.txt", "1", "", "", "8192", "1000004"},
                                       {"FSVC", "CSVC", "a.txt", "1", "", "", "8192", "1000001"},
                                       {"GDRV", "CDRV", "c.txt", "1", "", "", "8192", "1000003"}}));
    // The embedded cabinet's header counts its files (cFiles, at offset 28).
    EXPECT_EQ(RunProgram({"sh", "-c", "msiinfo extract t.msi t.cab > t.cab.bin"}, dir.path().string()), 0);
    const std::string cabinet = ReadWholeFile(dir.file("t.cab.bin"));
    ASSERT_GE(cabinet.size(), 30u);
    EXPECT_EQ(cabinet.substr(0, 4), "MSCF");
    EXPECT_EQ(cabinet[28] | cabinet[29] << 8, 1) << "files in the cabinet";
    EXPECT_EQ(RunProgram({"sh", "-c", "msiinfo suminfo t.msi > before.txt"}, dir.path().string()), 0);
    EXPECT_NE(ReadWholeFile(dir.file("before.txt")).find("Source: 2 (2)"), std::string::npos);
    SetSourceUncompressed(dir.file("t.msi"));
    EXPECT_EQ(RunProgram({"sh", "-c", "msiinfo suminfo t.msi > after.txt"}, dir.path().string()), 0);
    const std::string after = ReadWholeFile(dir.file("after.txt"));
    EXPECT_NE(after.find("Source: 0 (0)"), std::string::npos) << after;
    EXPECT_NE(after.find("Title: Installation Database"), std::string::npos) << after;
    EXPECT_NE(exportTable("Media").find("30000\t2147483647\t\t\t\t"), std::string::npos);
    EXPECT_NE(exportTable("CustomAction").find("SourceFromData\t51\tSourceDir\t[SRCDIR]"), std::string::npos);
    const std::string sequence = exportTable("InstallExecuteSequence");
    for (const char* action : {"SourceFromData\tSRCDIR\t5", "RemoveFiles\t\t3500", "InstallFiles\t\t4000"})
        EXPECT_NE(sequence.find(action), std::string::npos) << action;
    // The source folders below the data folder: Block1\ and Drivers\odbc\.
    auto directories = TableRows(exportTable("Directory"));
    std::sort(directories.begin(), directories.end());
    EXPECT_EQ(directories, std::vector<Row>({{"BDRV_1", "TARGETDIR", ".:Drivers"},
                                             {"PCAB_1", "TARGETDIR", "."},
                                             {"PDRV_1", "BDRV_1", ".:odbc"},
                                             {"PPRV_1", "TARGETDIR", ".:Block1"},
                                             {"PSVC_1", "TARGETDIR", ".:Block1"},
                                             {"TARGETDIR", "", "SourceDir"}}));
    const std::string components = exportTable("Component");
    for (const char* key : {"\tFSVC\r\n", "\tFDRV\r\n", "\tFPRV\r\n"}) EXPECT_NE(components.find(key), std::string::npos) << key;
    EXPECT_EQ(TableRows(exportTable("ODBCDriver")), std::vector<Row>({{"DDRV", "CDRV", "Orv Driver", "FDRV", "GDRV"}}));
    EXPECT_NE(exportTable("MsiAssembly").find("CPRV\tOrvantaRecorded\tFPRV\tFPRV"), std::string::npos);
    EXPECT_NE(exportTable("ServiceInstall").find("CSVC"), std::string::npos);
}

// The driver and its setup library are one component: they must be fetched into one folder.
TEST(PackageAuthoringTest, ADriversFilesFetchedIntoTwoFoldersAreRefused) {
    TempDir dir;
    dir.write("payload/sub/c.txt", "c");
    std::string text = kFromBlock;
    text.replace(text.find("payload/sub/c.txt"), 17, "payload/a.txt");
    const std::vector<std::string> errors = RecordingCommandErrors(MakeProject(dir, text.c_str()));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("p.orv:21: \"Install ODBC Driver\": p3 'payload/a.txt' is fetched into 'Block1\\', p2 "
                             "into 'Drivers\\odbc\\'"),
              std::string::npos)
        << errors[0];
}

// A recording command's value the rows cannot be made from is refused with
// the command's source line, by the check and by the build alike.
TEST(PackageAuthoringTest, UnknownParameterValuesAreRefusedWithTheirLine) {
    TempDir dir;
    const struct {
        const char* command;
        const char* complaint;
    } cases[] = {
        {"Install Service\n  | payload/a.txt\n  | X\n  | own\n  | S\n  |\n  |\n  | sometimes\n", "p7 'sometimes'"},
        {"Install Service\n  | missing.exe\n  | X\n  | own\n  | S\n", "p1 'missing.exe' is not a file"},
        {"Install Service\n  | payload/a.txt\n  | X\n  | own\n  | S\n  |\n  |\n  |\n  |\n  |\n  |\n  |\n"
         "  | stop, restart\n", "p12 'restart'"},
        {"Control Service\n  | S\n  |\n  | start\n  |\n  | maybe\n", "p5 'maybe'"},
        {"Create File Type\n  | T\n  | x\n  | d\n  | p.exe\n  |\n  | a\\b\n", "p6"},
        {"Create File Type\n  | T\n  |\n  | d\n  | p.exe\n", "p2 is empty"},
        {"Copy/Move Local Files\n  | A\n  | sub\\*.log\n  | B\n  |\n  | TRUE\n", "p2"},
        {"Delete Files\n  | A\n  | *.tmp\n  | FALSE\n  | FALSE\n", "at least one delete mode"},
        {"Install ODBC Driver\n  | D\n  | payload/a.txt\n  |\n  | X\n  | APILevel\n", "p5 'APILevel'"},
        {"Create ODBC DSN\n  | N\n  | D\n  | everyone\n", "p3 'everyone'"},
        {"Advertised File Type\n  | T\n  | .x\n  | d\n  | payload/a.txt\n", "p2 '.x'"},
        {"Advertised Shortcut\n  | payload/a.txt\n  | a/b\n  | F\n  |\n  |\n  | W\n", "p2 'a/b'"},
        {"Advertised Shortcut\n  | payload/a.txt\n  | A\n  | F\n  |\n  |\n  |\n", "p6 is empty"},
        {"Install Assembly\n  | payload/a.txt\n  | TRUE\n  | F\n  | N\n  | 1.0.0.0\n", "p7 is empty"},
        {"Install Assembly\n  | payload/a.txt\n  | often\n  | F\n  | N\n", "p2 'often'"},
        {"Write Registry\n  | HKXX\n  | string\n  | K\n  | N\n  | V\n", "p1 'HKXX'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const std::string text = std::string("ProductCode = {11111111-2222-3333-4444-555555555555}\n"
                                             "RevisionCode = {21111111-2222-3333-4444-555555555555}\n[script]\n"
                                             "Set Variable\n  | X\n  | 1\n") + c.command + "Set Variable\n  | Y\n  | 2\n";
        const Project project = MakeProject(dir, text.c_str());
        const auto errors = RecordingCommandErrors(project);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].rfind("p.orv:7: ", 0), 0u) << errors[0];
        EXPECT_NE(errors[0].find(c.complaint), std::string::npos) << errors[0];
        try {
            AuthorRecordedRows(project);
            ADD_FAILURE() << "the build takes it";
        } catch (const SourceError& e) {
            EXPECT_EQ(e.line, 7);
        }
    }
    EXPECT_TRUE(RecordingCommandErrors(MakeProject(dir, kMoreKinds)).empty());
    EXPECT_TRUE(RecordingCommandErrors(MakeProject(dir, kAdvertised)).empty());
    EXPECT_TRUE(RecordingCommandErrors(MakeProject(dir, kAssemblies)).empty());
}

// The example project of each kind family passes the check and compiles.
TEST(PackageAuthoringTest, RecordingExamplesBuildTheirRows) {
    if (!HaveMsiTools()) GTEST_SKIP() << "msitools/wixl not installed";
    const std::filesystem::path examples = std::filesystem::path(std::getenv("ORVANTA_SOURCE_DIR")) / "examples" / "recording";
    int count = 0;
    for (const auto& folder : std::filesystem::directory_iterator(examples)) {
        SCOPED_TRACE(folder.path().string());
        const Project project = LoadProject(folder.path().string());
        EXPECT_TRUE(RecordingCommandErrors(project).empty());
        const RecordedRows rows = AuthorRecordedRows(project);
        TempDir dir;
        std::string wxs = ReadWholeFile((folder.path() / "product.wxs").string());
        wxs.insert(wxs.rfind("</Product>"), rows.wix);
        dir.write("product.wxs", wxs);
        EXPECT_EQ(RunProgram({"wixl", "-o", dir.file("t.msi"), dir.file("product.wxs")}, folder.path().string()), 0);
        std::vector<std::string> command = {"msibuild", dir.file("t.msi")};
        for (const auto& statement : rows.sql) command.insert(command.end(), {"-q", statement});
        EXPECT_EQ(RunProgram(command), 0);
        ++count;
    }
    EXPECT_EQ(count, 6);
}

}  // namespace
