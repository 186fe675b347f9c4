// Which entries an extraction picks: every listed entry, or names given in
// any letter case and with either separator, over archives large enough
// that work growing with entries times names shows (testing 60,000 entries
// took from half a minute to a minute that way).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keb/LastError.h"
#include "media/uSevenZipAPI.h"
#include "support/ArchiveFixtures.h"

namespace {

// bsdtar writes an archive from an mtree description: `lines` after the
// header, each "name type=... [contents=file]", with files relative to the
// test folder.
std::string BsdtarFromMtree(const TempDir& dir, const std::string& name, const std::string& lines) {
    std::string mtree = dir.write(name + ".mtree", "#mtree\n" + lines);
    std::string archive = dir.file(name);
    EXPECT_EQ(fixtures::Run("cd " + fixtures::Quote(dir.path().string()) + " && bsdtar --format 7zip -cf " +
                            fixtures::Quote(archive) + " @" + fixtures::Quote(mtree)),
              0);
    return archive;
}

class Selection : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveCommand("bsdtar")) GTEST_SKIP() << "bsdtar not installed";
    }
    TempDir dir_;
    std::string error_;
};

TEST_F(Selection, SixtyThousandEntriesAreTestedWholeAndPickedByName) {
    std::string lines;
    for (int folder = 0; folder < 60; ++folder) {
        std::string name = "folder" + std::to_string(folder);
        lines += name + " type=dir\n";
        for (int file = 0; file < 1000; ++file) lines += name + "/entry" + std::to_string(file) + ".txt type=file\n";
    }
    std::string archive = BsdtarFromMtree(dir_, "many.7z", lines);

    std::vector<std::string> names;
    ASSERT_TRUE(ListArchive(archive, "", error_, names)) << error_;
    ASSERT_EQ(names.size(), 60060u);
    // Everything, tested: the front end names each listed entry.
    ASSERT_TRUE(ExtractArchiveFiles(archive, "", "", {}, nullptr, error_, true, true)) << error_;

    std::vector<std::string> picked{"FOLDER59/Entry999.TXT", "folder0\\entry0.txt", "Folder7\\ENTRY500.txt"};
    ASSERT_TRUE(ExtractArchiveFiles(archive, "", dir_.file("out"), {}, &picked, error_, true, true)) << error_;
    EXPECT_EQ(fixtures::FilesBelow(dir_.file("out")),
              (std::vector<std::string>{"folder0/entry0.txt", "folder59/entry999.txt", "folder7/entry500.txt"}));
}

TEST_F(Selection, ANameSeveralEntriesShareSelectsEachAndAMissingNameIsReported) {
    dir_.write("first", "first");
    dir_.write("second", "second!");
    std::string archive = BsdtarFromMtree(dir_, "dup.7z",
                                          "dup.txt type=file contents=first\n"
                                          "other.txt type=file contents=first\n"
                                          "dup.txt type=file contents=second\n");
    // Both entries are written in archive order, so the later one stays.
    std::vector<std::string> dup{"DUP.txt"};
    ASSERT_TRUE(ExtractArchiveFiles(archive, "", dir_.file("out"), {}, &dup, error_, true, true)) << error_;
    EXPECT_EQ(fixtures::FilesBelow(dir_.file("out")), std::vector<std::string>{"dup.txt"});
    EXPECT_EQ(ReadWholeFile(dir_.file("out/dup.txt")), "second!");

    // The first name the caller gave that no entry has is the one reported.
    std::vector<std::string> missing{"other.txt", "zzz.txt", "aaa.txt"};
    EXPECT_FALSE(ExtractArchiveFiles(archive, "", dir_.file("out2"), {}, &missing, error_, true, true));
    EXPECT_EQ(error_, "#1002");
    EXPECT_EQ(keb::LastArchiveErrorText(), "not in the archive: zzz.txt");
}

uint64_t lastDone = 0, lastTotal = 0;
int32_t KEB_CALL KeepProgress(const char*, uint32_t doneLow, uint32_t doneHigh, uint32_t totalLow, uint32_t totalHigh) {
    lastDone = uint64_t(doneHigh) << 32 | doneLow;
    lastTotal = uint64_t(totalHigh) << 32 | totalLow;
    return 1;
}

TEST_F(Selection, AnEntryAskedForTwiceCountsOnceInTheProgressTotal) {
    dir_.write("a", std::string(1000, 'a'));
    dir_.write("b", std::string(300, 'b'));
    std::string archive = BsdtarFromMtree(dir_, "two.7z", "a.txt type=file contents=a\nb.txt type=file contents=b\n");
    ArchiveCallbacks callbacks;
    callbacks.progress = &KeepProgress;
    std::vector<std::string> twice{"a.txt", "b.txt", "A.TXT"};
    ASSERT_TRUE(ExtractArchiveFiles(archive, "", dir_.file("out"), callbacks, &twice, error_, true, true)) << error_;
    EXPECT_EQ(lastTotal, 1300u);
    EXPECT_EQ(lastDone, lastTotal);
}

}  // namespace
