// Entry names as the three writers really write them ("./" prefixes, an
// entry for "." itself, doubled separators, trailing dots and blanks) are
// extracted as 7zz extracts them; names that leave the destination are
// still refused while the rest of the same archive extracts.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "keb/LastError.h"
#include "media/uSevenZipAPI.h"
#include "support/ArchiveFixtures.h"

namespace fs = std::filesystem;

namespace {

void RequireTools() {
    if (!fixtures::HaveCommand("7zz")) GTEST_SKIP() << "7zz not installed";
    if (!fixtures::HaveCommand("bsdtar")) GTEST_SKIP() << "bsdtar not installed";
}

// Every file and folder below root (relative, "/" at the end of folders)
// with the bytes of the files.
std::map<std::string, std::string> TreeBelow(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (auto& e : fs::recursive_directory_iterator(root)) {
        std::string name = fs::relative(e.path(), root).string();
        if (e.is_directory()) tree[name + "/"] = "";
        else tree[name] = ReadWholeFile(e.path().string());
    }
    return tree;
}

// What `7zz x` makes of the archive, with its names as our library writes
// them on the host (ANSI), and the renames we make on purpose applied.
std::map<std::string, std::string> ExtractedBy7zz(const TempDir& dir, const std::string& archive,
                                                  const std::map<std::string, std::string>& renamed = {}) {
    std::string reference = dir.file("reference");
    EXPECT_EQ(fixtures::Run("mkdir -p " + fixtures::Quote(reference) + " && cd " + fixtures::Quote(reference) +
                            " && 7zz x -bd -y " + fixtures::Quote(archive) + " >/dev/null"),
              0);
    std::map<std::string, std::string> tree;
    for (auto& [name, bytes] : TreeBelow(reference)) {
        auto it = renamed.find(name);
        tree[fixtures::AnsiName(it == renamed.end() ? name : it->second)] = bytes;
    }
    return tree;
}

std::string Extract(const std::string& archive, const std::string& out) {
    std::string error;
    bool ok = ExtractArchiveFiles(archive, "", out, {}, nullptr, error, true, true);
    return ok ? std::string() : error + " " + keb::LastArchiveErrorText();
}

TEST(KebEntryNames, FolderPackedFromDotByBsdtarExtractsAs7zzExtractsIt) {
    RequireTools();
    TempDir dir;
    fixtures::WriteTree(dir.path() / "src", fixtures::SampleTree());
    std::string archive = dir.file("dot.7z");
    ASSERT_EQ(fixtures::Run("cd " + fixtures::Quote(dir.file("src")) + " && bsdtar -cf " + fixtures::Quote(archive) +
                            " --format 7zip ."),
              0);
    std::vector<std::string> names;
    std::string error;
    ASSERT_TRUE(ListArchive(archive, "", error, names)) << error;
    EXPECT_NE(std::find(names.begin(), names.end(), ".\\docs\\readme.txt"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "."), names.end());

    EXPECT_EQ(Extract(archive, dir.file("out")), "");
    EXPECT_EQ(TreeBelow(dir.path() / "out"), ExtractedBy7zz(dir, archive));
    fixtures::ExpectTreeExtracted(dir.path() / "out", fixtures::SampleTree());
}

// Each writer's odd but valid names; only names with a trailing dot or blank
// differ from 7zz on Linux: Windows would strip that character, so it
// becomes "_" everywhere.
TEST(KebEntryNames, OddButValidNamesOfEachWriterExtractAs7zzExtractsThem) {
    RequireTools();
    if (!fixtures::HavePy7zr()) GTEST_SKIP() << "py7zr not installed";
    TempDir dir;
    const std::map<std::string, std::string> tree = {
        {"readme.txt", "read me"}, {"sub/one.txt", "one"}, {"trail.", "dot"}, {"blank ", "blank"}, {"empty/", ""}};
    fixtures::WriteTree(dir.path() / "src", tree);
    const std::map<std::string, std::string> renamed = {{"trail.", "trail_"}, {"blank ", "blank_"}};
    const std::string src = "cd " + fixtures::Quote(dir.file("src")) + " && ";
    const std::map<std::string, std::string> writers = {
        // bsdtar keeps "./", doubled separators and a "./sub/" folder as given.
        {"bsdtar", src + "bsdtar -cf ../bsdtar.7z --format 7zip ./readme.txt sub//one.txt ./sub/ empty/ "
                         "trail. 'blank '"},
        {"7zz", src + "7zz a -bd ../7zz.7z ./readme.txt sub/ empty/ trail. 'blank ' >/dev/null"},
        // py7zr tidies most names but keeps "." (a file here, which 7zz names "_").
        {"py7zr", src + "/usr/bin/python3 -c 'import py7zr\n"
                        "with py7zr.SevenZipFile(\"../py7zr.7z\", \"w\") as z:\n"
                        "    for n in [\"./readme.txt\", \"sub//one.txt\", \"trail.\", \"blank \", \"empty/\"]:\n"
                        "        z.write(n, n)\n"
                        "    z.write(\"readme.txt\", \".\")'"},
    };
    for (const auto& [writer, command] : writers) {
        ASSERT_EQ(fixtures::Run(command), 0) << writer;
        std::string archive = dir.file(writer + ".7z");
        TempDir out;
        EXPECT_EQ(Extract(archive, out.file("x")), "") << writer;
        EXPECT_EQ(TreeBelow(out.path() / "x"), ExtractedBy7zz(out, archive, renamed)) << writer;
        EXPECT_EQ(ReadWholeFile(out.file("x/trail_")), "dot") << writer;
    }
}

TEST(KebEntryNames, NamesLeavingTheDestinationAreRefusedWhileTheRestExtracts) {
    RequireTools();
    TempDir dir;
    fixtures::WriteTree(dir.path() / "src",
                        {{"a", "climb"}, {"b", "drive"}, {"c", "rooted"}, {"d", "climb later"}, {"ok.txt", "fine"},
                         {"sub/kept.txt", "kept"}});
    std::string archive = dir.file("hostile.7z");
    // -P keeps the names that -s gives, which bsdtar would otherwise tidy.
    ASSERT_EQ(fixtures::Run("cd " + fixtures::Quote(dir.file("src")) + " && bsdtar -cf " + fixtures::Quote(archive) +
                            " --format 7zip -P -s ',^\\./a$,../x,' -s ',^\\./b$,C:\\\\x,' -s ',^\\./c$,\\\\x,'"
                            " -s ',^\\./d$,sub/../../x,' ."),
              0);
    fs::create_directories(dir.path() / "deep" / "er");
    std::string out = (dir.path() / "deep" / "er" / "out").string();
    std::string error;
    EXPECT_FALSE(ExtractArchiveFiles(archive, "", out, {}, nullptr, error, true, true));
    EXPECT_EQ(error, "#1005");
    for (const char* refused : {"..\\x", "C:\\x", "\\x", "sub\\..\\..\\x"})
        EXPECT_NE(keb::LastArchiveErrorText().find(refused), std::string::npos) << refused;
    EXPECT_EQ(fixtures::FilesBelow(dir.path() / "deep"), (std::vector<std::string>{"er/out/ok.txt", "er/out/sub/kept.txt"}));
    EXPECT_FALSE(fs::exists(dir.path() / "x"));
    EXPECT_FALSE(fs::exists(dir.path() / "deep" / "x"));
}

}  // namespace
