// orvanta build's web media: one archive per block, below a top folder named
// after it, its SHA-256 for the support archive, and the map checked against
// the block's files.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "media/MediaWorkers.h"
#include "media/WebMediaBlock.h"
#include "support/ArchiveFixtures.h"
#include "tools/authoring/ProjectSource.h"
#include "tools/authoring/WebMediaArchives.h"

namespace fs = std::filesystem;

namespace {

Project WebMediaProject(const TempDir& dir, const std::string& mediaFile) {
    Project project = ParseProject("ProductCode = {2B4D6F81-3A5C-4E7F-9B1D-0C2E4A6B8D01}\n"
                                   "RevisionCode = {2B4D6F81-3A5C-4E7F-9B1D-0C2E4A6B8D02}\n"
                                   "WebMedia = Block1 | media/one\n"
                                   "MediaFile = " + mediaFile + "\n",
                                   "project.orv");
    project.folder = dir.path().string();
    return project;
}

TEST(WebMediaArchives, OneArchivePerBlockWithItsHash) {
    if (!fixtures::HaveCommand("7zz")) GTEST_SKIP() << "7zz not installed";
    TempDir dir;
    dir.write("media/one/bin/tool.exe", "tool");
    dir.write("media/one/readme.txt", "readme");
    fs::create_directories(dir.file("out"));
    const std::string hashes =
        BuildWebMediaArchives(WebMediaProject(dir, "Block1 | bin\\tool.exe | Program"), dir.file("out"), "");
    const std::string archive = dir.file("out/Block1.7zip");
    EXPECT_EQ(hashes, FileSha256(archive) + "  Block1.7zip\r\n");
    // 7zz lists the files below a top folder named after the block.
    EXPECT_EQ(fixtures::Run("7zz l -ba " + fixtures::Quote(archive) + " | grep -q 'Block1/bin/tool.exe'"), 0);
    EXPECT_EQ(fixtures::Run("7zz l -ba " + fixtures::Quote(archive) + " | grep -q 'Block1/readme.txt'"), 0);
    EXPECT_EQ(ExpectedMediaHash(hashes, "Block1.7zip"), FileSha256(archive));
}

TEST(WebMediaArchives, AMapEntryMustNameAFileOfItsBlock) {
    TempDir dir;
    dir.write("media/one/readme.txt", "readme");
    EXPECT_THROW(BuildWebMediaArchives(WebMediaProject(dir, "Block1 | missing.txt | Program"), dir.file("out"), ""),
                 std::runtime_error);
    EXPECT_THROW(ParseProject("WebMedia = Bad/Name | folder\n", "project.orv"), SourceError);
}

}  // namespace
