#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "script/Payload.h"
#include "support/ArchiveFixtures.h"
#include "support/ScriptBuilder.h"
#include "support/OrvantaShell.h"
#include "support/TempDir.h"

namespace {

std::string WritePayloadFile(const TempDir& dir, const ScriptBuilder& b) {
    Payload payload;
    payload.script = b.script();
    payload.project.Title = "Dry Run";
    return dir.write("setup.payload", WritePayload(payload));
}

TEST(RunVerbTest, PrintsTheStoreInOrderAndTheExitCode) {
    TempDir dir;
    ScriptBuilder b;
    b.Add("Set Variable", {"GREETING", "Hello$NEWLINE$$TITLE$"}).Add("Mathematics", {"$COUNT$", "2", "2", "RESULT"});
    b.Add("Set Variable", {"COUNT", "0"}).Add("Terminate with Exit Code", {"1602"});
    const OrvantaOutput out = Orvanta("run " + WritePayloadFile(dir, b) + " COUNT=21 --silent");
    EXPECT_EQ(out.status, 0) << out.text;
    EXPECT_NE(out.text.find("\nTITLE=Dry Run\n"), std::string::npos) << out.text;
    // The override is defined before the first command and outlives the script's assignment.
    EXPECT_NE(out.text.find("\nCOUNT=21\nGREETING=Hello$NEWLINE$Dry Run\nRESULT=42\nexit code: 1602\n"),
              std::string::npos)
        << out.text;
}

TEST(RunVerbTest, WindowsOnlyCommandsAreSkippedAndErrorsNameTheirPlace) {
    TempDir dir;
    ScriptBuilder b;
    b.Add("Run Program", {"C:\\tool.exe", "FALSE", "", "TRUE", "RC"}).Add("Set Variable", {"B", "2"});
    OrvantaOutput out = Orvanta("run " + WritePayloadFile(dir, b) + " --silent");
    EXPECT_EQ(out.status, 0) << out.text;
    EXPECT_NE(out.text.find("setup.payload: command 1: skipped: \"Run Program\" needs Windows"), std::string::npos)
        << out.text;
    EXPECT_NE(out.text.find("\nB=2\n"), std::string::npos) << "the script goes on: " << out.text;

    // A run-time error names the source line of a project.
    dir.write("project.orv", "ProductCode = {11111111-2222-3333-4444-555555555555}\n"
                             "RevisionCode = {21111111-2222-3333-4444-555555555555}\n[script]\n"
                             "Set Variable\n  | MODE\n  | 9\n"
                             "# a window mode known only at run time\n"
                             "Run Program As\n  | C:\\tool.exe\n  | C:\\\n  |\n  | $MODE$\n  | TRUE\n"
                             "  |\n  |\n  |\n  |\n  | RC\n");
    out = Orvanta("run " + dir.path().string() + " --silent");
    EXPECT_EQ(out.status, 1);
    EXPECT_NE(out.text.find(dir.file("project.orv") + ":8: '9' is not a window mode (0 to 4)"), std::string::npos)
        << out.text;
}

TEST(RunVerbTest, CheckFailuresAndBadArguments) {
    TempDir dir;
    ScriptBuilder b;
    b.Add("If", {"TITLE", "0", "x"});
    const OrvantaOutput check = Orvanta("run " + WritePayloadFile(dir, b));
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(check.text.find("command 1: Insufficient END statements"), std::string::npos) << check.text;
    // From a project source the message names the source line.
    dir.write("project.orv", "ProductCode = {11111111-2222-3333-4444-555555555555}\n"
                             "RevisionCode = {21111111-2222-3333-4444-555555555555}\n[script]\n"
                             "Set Variable\n  | A\n  | 1\nIf\n  | A\n  | 0\n  | 1\n  | FALSE\n");
    const OrvantaOutput source = Orvanta("run " + dir.path().string());
    EXPECT_EQ(source.status, 1);
    EXPECT_NE(source.text.find(dir.file("project.orv") + ":7: \"If\" without its \"End\""), std::string::npos)
        << source.text;
    EXPECT_NE(Orvanta("decompile " + dir.file("missing.exe")).text.find("missing.exe: no such file"),
              std::string::npos);
    EXPECT_EQ(Orvanta("run").status, 2);
    EXPECT_EQ(Orvanta("run " + WritePayloadFile(dir, b) + " NOEQUALS").status, 2);
}

}  // namespace

namespace {

TEST(CheckVerbTest, NamesTheSourceLineOfTheOffendingCommand) {
    TempDir dir;
    const std::string header =
        "Setup = checked\nTitle = Checked\nProductCode = {00000000-0000-0000-0000-000000000001}\n"
        "RevisionCode = {00000000-0000-0000-0000-000000000002}\n\n[script]\n";
    dir.write("project.orv", header + "Set Variable\n  | A\n  | 1\n# a comment line\nIf\n  | LATER\n  | 0\n  | 1\n  | FALSE\nEnd\n");
    const OrvantaOutput failing = Orvanta("check " + dir.path().string());
    EXPECT_EQ(failing.status, 1);
    EXPECT_NE(failing.text.find("project.orv:11: Variable not defined: LATER"), std::string::npos) << failing.text;
    dir.write("project.orv", header + "Set Variable\n  | LATER\n  | 1\nIf\n  | LATER\n  | 0\n  | 1\n  | FALSE\nEnd\n");
    const OrvantaOutput passing = Orvanta("check " + dir.path().string());
    EXPECT_EQ(passing.status, 0) << passing.text;
    EXPECT_NE(passing.text.find("Script compiled successfully"), std::string::npos) << passing.text;
}

TEST(OrvantaCommandLineTest, HelpVersionCommandsAndExitCodes) {
    const OrvantaOutput help = Orvanta("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.text.find("  check      checks a project"), std::string::npos) << help.text;
    EXPECT_NE(help.text.find("exit codes: 0 success, 1 findings or failure, 2 wrong usage"), std::string::npos);
    const OrvantaOutput verbHelp = Orvanta("build --help");
    EXPECT_EQ(verbHelp.status, 0);
    EXPECT_EQ(verbHelp.text.rfind("orvanta build: checks a project, then builds its setup\nusage: orvanta build <project>", 0), 0u)
        << verbHelp.text;
    EXPECT_EQ(Orvanta("help check").status, 0);
    const OrvantaOutput version = Orvanta("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.text.rfind("orvanta ", 0), 0u);
    EXPECT_EQ(Orvanta("").status, 2);
    EXPECT_EQ(Orvanta("frobnicate").status, 2);
    EXPECT_EQ(Orvanta("check").status, 2);
    EXPECT_EQ(Orvanta("check /nonexistent/project.orv").status, 1);

    const OrvantaOutput one = Orvanta("commands Parse String");
    EXPECT_EQ(one.status, 0);
    EXPECT_NE(one.text.find("  | p5  mode (enumeration)\n          0 or first  split at the first occurrence"), std::string::npos)
        << one.text;
    const OrvantaOutput misspelt = Orvanta("commands Parse Strng");
    EXPECT_EQ(misspelt.status, 1);
    EXPECT_NE(misspelt.text.find("did you mean \"Parse String\"?"), std::string::npos) << misspelt.text;
    EXPECT_NE(Orvanta("commands").text.find("  Set Variable              Sets a variable to a value."), std::string::npos);
}

TEST(ArchiveVerbTest, ListsSizesAndTimesAsSevenZipShowsThemAndExtractsHere) {
    if (std::system("command -v 7zz >/dev/null")) GTEST_SKIP() << "7zz missing";
    TempDir dir;
    dir.write("src/a.txt", "hello\n");
    dir.write("src/sub/b.txt", "x\n");
    const std::string src = dir.file("src");
    ASSERT_EQ(std::system(("cd " + src + " && TZ=UTC touch -d '2020-01-02 03:04:05' a.txt sub/b.txt sub && " +
                           "7zz a -bd -bso0 ../t.7z . >/dev/null").c_str()), 0);
    setenv("TZ", "UTC", 1);  // the listing shows local time, as 7zz does
    const OrvantaOutput list = Orvanta("archive list " + dir.file("t.7z"));
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.text,
              "2020-01-02 03:04:05      <folder>  sub\n"
              "2020-01-02 03:04:05             6  a.txt\n"
              "2020-01-02 03:04:05             2  sub\\b.txt\n"
              "2 file(s), 1 folder(s), 8 bytes\n"
              "folder 1: LZMA2:12\n");

    // Without a destination, like 7zz x: into the current folder.
    dir.write("here/.keep", "");
    ASSERT_EQ(std::system(("cd " + dir.file("here") + " && " + OrvantaProgram() + " archive extract " +
                           dir.file("t.7z") + " >/dev/null").c_str()), 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.file("here/sub/b.txt")));
}

// Several folders, one per addition, each with other methods: the listing
// names each folder's methods as 7zz's "Method" does.
TEST(ArchiveVerbTest, ListsEachFolderMethodsBy7zzNames) {
    if (std::system("command -v 7zz >/dev/null")) GTEST_SKIP() << "7zz missing";
    TempDir dir;
    const std::string archive = dir.file("m.7z");
    const char* methods[] = {"-mf=ARM64", "-mf=RISCV:4096", "-m0=PPMd:o=32:mem=3m", "-m0=BZip2", "-m0=Deflate64",
                             "-m0=Deflate", "-m0=LZMA:d=1536k:lc1:lp2:pb0", "-m0=LZMA2:d=3m",
                             "-m0=Delta:4 -m1=LZMA2", "-m0=Swap4 -m1=LZMA:pb3", "-mf=BCJ2", "-mf=off -m0=Copy",
                             "-m0=ARM64 -m1=Delta:2 -m2=LZMA", "-mf=SPARC -pSecret"};
    int n = 0;
    for (const char* m : methods) {
        const std::string name = "f" + std::to_string(++n) + ".bin";
        dir.write(name, std::string(3500000, 'a') + std::to_string(n) + fixtures::CodeBytes(100000, n));
        ASSERT_EQ(std::system(("cd " + dir.path().string() + " && 7zz a -bd -y " + m + " " + archive + " " + name +
                               " >/dev/null").c_str()),
                  0)
            << m;
    }
    std::set<std::string> theirs, ours;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(("7zz l -slt -pSecret " + archive).c_str(), "r"), pclose);
    char line[512];
    bool summary = true;  // the first "Method" is the archive's, not an entry's
    while (fgets(line, sizeof line, pipe.get())) {
        std::string text(line);
        if (text.rfind("Method = ", 0) != 0) continue;
        if (!summary) theirs.insert(text.substr(9, text.size() - 10));
        summary = false;
    }
    const OrvantaOutput list = Orvanta("archive list " + archive + " -pSecret");
    EXPECT_EQ(list.status, 0) << list.text;
    for (size_t at = list.text.find("folder "); at != std::string::npos; at = list.text.find("\nfolder ", at + 1)) {
        size_t begin = list.text.find(": ", at) + 2, end = list.text.find('\n', begin);
        ours.insert(list.text.substr(begin, end - begin));
    }
    EXPECT_EQ(ours, theirs);
    EXPECT_EQ(theirs.size(), std::size(methods));
}

}  // namespace
