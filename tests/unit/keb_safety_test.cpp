// Hostile and damaged archives: unsafe names, wrong passwords, flipped bytes,
// truncation and unsupported methods must fail cleanly and leave nothing
// that looks complete.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "keb/EntryPath.h"
#include "keb/LastError.h"
#include "media/uSevenZipAPI.h"
#include "support/ArchiveFixtures.h"

namespace fs = std::filesystem;

namespace {

void Require7zz() {
    if (!fixtures::HaveCommand("7zz")) GTEST_SKIP() << "7zz not installed";
}

// A one-file LZMA archive of incompressible data, so a flipped byte lands
// in the compressed stream.
std::string MakeSingleFileArchive(const TempDir& dir, const std::string& options) {
    dir.write("in/data.bin", fixtures::RandomBytes(100000, 7) + fixtures::TextBytes(2000, 8));
    std::string archive = dir.file("single.7z");
    EXPECT_EQ(fixtures::Run("cd " + fixtures::Quote(dir.file("in")) + " && 7zz a -bd -y " + options + " " +
                            fixtures::Quote(archive) + " data.bin >/dev/null"),
              0);
    return archive;
}

void FlipByteAt(const std::string& path, std::streamoff offset) {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekg(offset);
    char c = 0;
    f.read(&c, 1);
    c = static_cast<char>(c ^ 0x20);
    f.seekp(offset);
    f.write(&c, 1);
}

TEST(KebSafety, HostileEntryNamesAreRefusedAndNothingLeavesTheDestination) {
    if (!fixtures::HavePy7zr()) GTEST_SKIP() << "py7zr not installed";
    TempDir dir;
    dir.write("h.txt", "hostile");
    ASSERT_EQ(fixtures::Run("cd " + fixtures::Quote(dir.path().string()) +
                            " && /usr/bin/python3 -c 'import py7zr\n"
                            "with py7zr.SevenZipFile(\"hostile.7z\", \"w\") as z:\n"
                            "    for n in [\"../x\", \"C:\\\\x\", \"/abs\", \"CON\", \"sub/../../y\", \"ok.txt\",\n"
                            "              \"nul.txt\", \"a\\\\..\\\\..\\\\z\", \"com1\", \"dots...\", \"ads:stream\"]:\n"
                            "        z.write(\"h.txt\", n)'"),
              0);
    fs::create_directories(dir.path() / "deep" / "er");
    std::string out = (dir.path() / "deep" / "er" / "out").string();
    std::string error;
    EXPECT_FALSE(ExtractArchiveFiles(dir.file("hostile.7z"), "", out, {}, nullptr, error, true, true));
    EXPECT_EQ(error, "#1005");
    EXPECT_NE(keb::LastArchiveErrorText().find("..\\x"), std::string::npos);
    // The harmless entries are extracted ("dots..." with the trailing dot Windows would strip made "_");
    // nothing else exists anywhere below the test folder.
    EXPECT_EQ(fixtures::FilesBelow(dir.path()),
              (std::vector<std::string>{"deep/er/out/dots.._", "deep/er/out/ok.txt", "h.txt", "hostile.7z"}));
    EXPECT_FALSE(fs::exists("/abs"));
}

TEST(KebSafety, EntryNamesThatWindowsWouldTurnIntoSomethingElseAreUnsafe) {
    using Parts = std::vector<std::string>;
    EXPECT_EQ(keb::SafePathComponents("a\\b/c.txt"), (Parts{"a", "b", "c.txt"}));
    EXPECT_EQ(keb::SafePathComponents("folder\\"), (Parts{"folder"}));
    EXPECT_EQ(keb::SafePathComponents("console.txt"), (Parts{"console.txt"}));
    EXPECT_EQ(keb::SafePathComponents("COM10"), (Parts{"COM10"}));
    // Harmless writer habits are undone; trailing dots and blanks, which
    // Windows would strip ("..." would become ".."), turn into "_".
    EXPECT_EQ(keb::SafePathComponents(".\\a\\\\b\\.\\c\\"), (Parts{"a", "b", "c"}));
    EXPECT_EQ(keb::SafePathComponents("."), Parts{});
    EXPECT_EQ(keb::SafePathComponents(".\\"), Parts{});
    EXPECT_EQ(keb::SafePathComponents("name.\\name \\...\\.. "), (Parts{"name_", "name_", ".._", ".._"}));
    EXPECT_EQ(keb::SafePathComponents("nul."), Parts{"nul_"});
    for (const char* unsafe : {"", "\\x", "/x", "\\\\?\\C:\\x", "C:x", "a:b", "..", "a\\..\\..\\b", ".\\..\\a",
                               "a\\.\\..", "nul", "Con.txt", "aux .log", "COM1", "lpt9.dat", "CONOUT$",
                               "dir\\prn\\x", "a?b", "a*b", "a|b", "a\"b", "a<b", "tab\there"}) {
        EXPECT_FALSE(keb::SafePathComponents(unsafe)) << unsafe;
    }
}

TEST(KebSafety, MissingArchiveIsReportedAsNotFound) {
    TempDir dir;
    std::vector<std::string> names;
    std::string error;
    EXPECT_FALSE(ListArchive(dir.file("absent.7z"), "", error, names));
    EXPECT_EQ(error, "The archive file was not found");
    EXPECT_FALSE(ExtractArchiveFiles(dir.file("absent.7z"), "", dir.file("out"), {}, nullptr, error, true, true));
    EXPECT_EQ(error, "The archive file was not found");
}

TEST(KebSafety, WrongOrMissingPasswordCannotOpenEncryptedHeaders) {
    Require7zz();
    TempDir dir;
    std::string archive = MakeSingleFileArchive(dir, "-pSecret -mhe=on");
    std::vector<std::string> names;
    std::string error;
    EXPECT_FALSE(ListArchive(archive, "Wrong", error, names));
    EXPECT_EQ(error, "The archive cannot be opened: unsupported archive or incorrect password");
    EXPECT_FALSE(ListArchive(archive, "", error, names));
    EXPECT_EQ(error, "The archive cannot be opened: unsupported archive or incorrect password");
    EXPECT_TRUE(ListArchive(archive, "Secret", error, names)) << error;
    EXPECT_EQ(names, std::vector<std::string>{"data.bin"});
}

TEST(KebSafety, WrongPasswordForEncryptedDataFailsWithoutLeavingTheFile) {
    Require7zz();
    TempDir dir;
    std::string archive = MakeSingleFileArchive(dir, "-pSecret -m0=Copy");
    std::string error;
    EXPECT_FALSE(ExtractArchiveFiles(archive, "Wrong", dir.file("out"), {}, nullptr, error, true, true));
    EXPECT_EQ(error, "#1003");
    EXPECT_TRUE(fixtures::FilesBelow(dir.path() / "out").empty());
}

TEST(KebSafety, FlippedDataByteIsACrcOrDataErrorAndLeavesNoFile) {
    Require7zz();
    for (const char* options : {"-m0=LZMA -mf=off", "-m0=Copy", "-m0=LZMA2 -mf=off"}) {
        TempDir dir;
        std::string archive = MakeSingleFileArchive(dir, options);
        FlipByteAt(archive, 32 + 5000);  // inside the packed stream
        std::string error;
        EXPECT_FALSE(ExtractArchiveFiles(archive, "", dir.file("out"), {}, nullptr, error, true, true)) << options;
        EXPECT_EQ(error, "#1004") << options;
        EXPECT_TRUE(fixtures::FilesBelow(dir.path() / "out").empty()) << options;
    }
}

TEST(KebSafety, DamagedHeadersAndTruncationAreReported) {
    Require7zz();
    TempDir dir;
    std::string archive = MakeSingleFileArchive(dir, "-m0=LZMA -mf=off");
    std::string original = ReadWholeFile(archive);
    std::vector<std::string> names;
    std::string error;

    dir.write("cut.7z", original.substr(0, original.size() - 10));
    EXPECT_FALSE(ListArchive(dir.file("cut.7z"), "", error, names));
    EXPECT_EQ(error, "General failure opening archive");

    dir.write("cut_data.7z", original.substr(0, 40000));
    EXPECT_FALSE(ListArchive(dir.file("cut_data.7z"), "", error, names));

    std::string flippedHeader = original;
    flippedHeader[flippedHeader.size() - 3] ^= 1;
    dir.write("header.7z", flippedHeader);
    EXPECT_FALSE(ListArchive(dir.file("header.7z"), "", error, names));
    EXPECT_EQ(error, "General failure opening archive");

    dir.write("text.7z", "this is not an archive at all, just some text");
    EXPECT_FALSE(ListArchive(dir.file("text.7z"), "", error, names));
    EXPECT_EQ(error, "The archive cannot be opened: unsupported archive or incorrect password");
}

// One folder per method outside our set, each added to an archive that
// also holds an LZMA2 folder: each fails with the method's and the entry's
// name, leaves nothing of its entry, and the LZMA2 entries still come out.
TEST(KebSafety, UnsupportedMethodsAreNamedAndOtherFoldersStillExtract) {
    Require7zz();
    struct Case {
        const char* options;
        const char* name;
    };
    for (const Case& c : {Case{"-m0=PPMd", "PPMD"}, Case{"-m0=BZip2", "BZip2"}, Case{"-m0=Deflate", "Deflate"},
                          Case{"-m0=Deflate64", "Deflate64"}}) {
        TempDir dir;
        dir.write("in/first.txt", fixtures::TextBytes(300, 1));
        dir.write("in/sub/odd.bin", fixtures::RandomBytes(5000, 2));
        dir.write("in/last.txt", fixtures::TextBytes(200, 3));
        std::string archive = dir.file("mixed.7z");
        std::string in = "cd " + fixtures::Quote(dir.file("in")) + " && 7zz a -bd -y ";
        ASSERT_EQ(fixtures::Run(in + fixtures::Quote(archive) + " first.txt >/dev/null"), 0);
        ASSERT_EQ(fixtures::Run(in + c.options + " " + fixtures::Quote(archive) + " sub/odd.bin >/dev/null"), 0);
        ASSERT_EQ(fixtures::Run(in + fixtures::Quote(archive) + " last.txt >/dev/null"), 0);

        std::string error;
        EXPECT_FALSE(ExtractArchiveFiles(archive, "", dir.file("out"), {}, nullptr, error, true, true));
        EXPECT_EQ(error, "#1003");
        EXPECT_EQ(keb::LastArchiveErrorText(), std::string("unsupported method: ") + c.name + " (sub\\odd.bin)");
        EXPECT_EQ(fixtures::FilesBelow(dir.path() / "out"), (std::vector<std::string>{"first.txt", "last.txt"}));
        fixtures::ExpectOnlyCompleteFiles(dir.path() / "out", dir.path() / "in");

        std::vector<std::string> decodable{"last.txt"};
        EXPECT_TRUE(ExtractArchiveFiles(archive, "", dir.file("only"), {}, &decodable, error, true, true)) << error;
        EXPECT_EQ(fixtures::FilesBelow(dir.path() / "only"), decodable);
    }
}

}  // namespace
