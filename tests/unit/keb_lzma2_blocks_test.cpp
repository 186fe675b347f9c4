// A solid LZMA2 folder made of independent blocks (as 7zz writes it with
// several threads) decoded two blocks at a time: the files must come out as
// 7zz extracts them, damage in a later block must be reported after the
// files before it are complete, and a cancel must stop the helper thread.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "keb/Archive.h"
#include "keb/ArchiveError.h"
#include "keb/ArchiveFile.h"
#include "keb/Extractor.h"
#include "keb/Lzma2Blocks.h"
#include "support/ArchiveFixtures.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 6;

// Six text files of about 1.5 MB in one solid folder of 1 MB blocks.
std::string MakeBlockArchive(const TempDir& dir) {
    for (int i = 0; i < kFiles; ++i) dir.write("in/f" + std::to_string(i) + ".txt", fixtures::TextBytes(28000, 60 + i));
    std::string archive = dir.file("blocks.7z");
    EXPECT_EQ(fixtures::Run("cd " + fixtures::Quote(dir.file("in")) + " && 7zz a -bd -y -mx=1 -mmt=2 " +
                            "-m0=LZMA2:d=1m:c=1m " + fixtures::Quote(archive) + " . >/dev/null"),
              0);
    return archive;
}

struct FolderLayout {
    keb::PackStream packed;
    uint64_t unpackSize = 0;
    std::vector<keb::Lzma2Block> blocks;
};

FolderLayout LayoutOf(const std::string& archivePath) {
    keb::PasswordProvider password(nullptr, nullptr);
    keb::Archive archive(archivePath, password);
    const keb::ArchiveDatabase& db = archive.database();
    FolderLayout layout;
    if (db.folders.size() != 1 || db.packStreams.size() != 1) return layout;
    layout.packed = db.packStreams[0];
    layout.unpackSize = db.folders[0].unpackSizes.at(0);
    layout.blocks = keb::FindLzma2Blocks(archive.file(), layout.packed, layout.unpackSize);
    return layout;
}

int g_reports = 0, g_cancelAfter = -1;
int32_t KEB_CALL Progress(const char*, uint32_t, uint32_t, uint32_t, uint32_t) {
    return ++g_reports == g_cancelAfter ? 0 : 1;
}

uint32_t Extract(const std::string& archivePath, const std::string& destination, unsigned threads) {
    g_reports = 0;
    keb::ExtractRequest request;
    request.destination = destination;
    request.threads = threads;
    return fixtures::ExtractAll(archivePath, request, Progress);
}

void FlipByte(const std::string& path, uint64_t offset) {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekg(static_cast<std::streamoff>(offset));
    char c = 0;
    f.read(&c, 1);
    c = static_cast<char>(c ^ 0x55);
    f.seekp(static_cast<std::streamoff>(offset));
    f.write(&c, 1);
}

// Every test starts from a fresh archive of at least four blocks.
class KebLzma2Blocks : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveCommand("7zz")) GTEST_SKIP() << "7zz not installed";
        archive = MakeBlockArchive(dir);
        layout = LayoutOf(archive);
        ASSERT_GE(layout.blocks.size(), 4u) << "7zz wrote no independent blocks";
    }
    TempDir dir;
    std::string archive;
    FolderLayout layout;
};

TEST_F(KebLzma2Blocks, BlocksOfOneFolderComeOutAs7zzExtractsThem) {
    uint64_t packTotal = 0, unpackTotal = 0;
    for (const keb::Lzma2Block& block : layout.blocks) {
        EXPECT_EQ(block.packOffset, packTotal);
        packTotal += block.packSize;
        unpackTotal += block.unpackSize;
    }
    EXPECT_EQ(packTotal, layout.packed.size);
    EXPECT_EQ(unpackTotal, layout.unpackSize);

    ASSERT_NO_FATAL_FAILURE(fixtures::ExtractWith7zz(archive, dir.file("theirs")));
    for (unsigned threads : {2u, 1u}) {
        std::string out = dir.file("ours" + std::to_string(threads));
        ASSERT_EQ(Extract(archive, out, threads), kKebErrorNone) << threads;
        EXPECT_EQ(fixtures::FilesBelow(out), fixtures::FilesBelow(dir.path() / "theirs")) << threads;
        fixtures::ExpectOnlyCompleteFiles(out, dir.path() / "theirs");
    }
}

TEST_F(KebLzma2Blocks, HeadersThatDoNotAddUpLeaveTheStreamToThePlainDecoder) {
    keb::ArchiveFile file(archive);
    EXPECT_TRUE(keb::FindLzma2Blocks(file, layout.packed, layout.unpackSize + 1).empty());
    keb::PackStream cut = layout.packed;
    cut.size = layout.blocks[2].packOffset + 3;  // inside the third block's first header
    EXPECT_TRUE(keb::FindLzma2Blocks(file, cut, layout.unpackSize).empty());
    keb::PackStream beyond = layout.packed;
    beyond.size = file.size();
    EXPECT_TRUE(keb::FindLzma2Blocks(file, beyond, layout.unpackSize + 1).empty());
    // A damaged chunk header: the scan gives up, the plain decoder reports it.
    FlipByte(archive, layout.packed.offset + layout.blocks[1].packOffset);
    EXPECT_TRUE(keb::FindLzma2Blocks(keb::ArchiveFile(archive), layout.packed, layout.unpackSize).size() !=
                layout.blocks.size());
    EXPECT_EQ(Extract(archive, dir.file("out"), 2), kKebErrorCorrupt);
}

TEST_F(KebLzma2Blocks, DamageInALaterBlockIsReportedAfterTheFilesBeforeIt) {
    // The middle of the last block's data: decoded by whichever thread has it.
    const keb::Lzma2Block& last = layout.blocks.back();
    FlipByte(archive, layout.packed.offset + last.packOffset + last.packSize / 2);
    std::vector<std::string> extracted;
    for (unsigned threads : {2u, 1u}) {
        std::string out = dir.file("out" + std::to_string(threads));
        EXPECT_EQ(Extract(archive, out, threads), kKebErrorCorrupt) << threads;
        fixtures::ExpectOnlyCompleteFiles(out, dir.path() / "in");
        extracted.push_back(std::to_string(fixtures::FilesBelow(out).size()));
    }
    EXPECT_EQ(extracted[0], extracted[1]);  // the same files, whatever the thread count
    EXPECT_NE(extracted[0], "0");
}

TEST_F(KebLzma2Blocks, CancelStopsTheHelperAndLeavesNoPartialFile) {
    g_cancelAfter = 2;
    EXPECT_EQ(Extract(archive, dir.file("out"), 2), kKebErrorCancelled);
    g_cancelAfter = -1;
    fixtures::ExpectOnlyCompleteFiles(dir.path() / "out", dir.path() / "in");
    for (const std::string& name : fixtures::FilesBelow(dir.path() / "out"))
        EXPECT_EQ(name.find(".part"), std::string::npos) << name;
}

}  // namespace
