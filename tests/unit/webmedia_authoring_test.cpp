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
#include "tools/authoring/BlockFileRows.h"
#include "tools/authoring/PackageAuthoring.h"
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

// A caching-mode project whose "Install Files" takes its data from a block.
Project BlockProject(const TempDir& dir, const std::string& media, const std::string& source) {
    Project project = ParseProject("ProductCode = {2B4D6F81-3A5C-4E7F-9B1D-0C2E4A6B8D01}\n"
                                   "RevisionCode = {2B4D6F81-3A5C-4E7F-9B1D-0C2E4A6B8D02}\n"
                                   "MediaMode = 2\n"
                                   "WebMedia = Block1 | media/one\n"
                                   "MediaFile = Block1 | bin\\tool.exe | Program\\bin\n"
                                   "[script]\nWeb Media Block\n  | Block1\n  | http://127.0.0.1/Block1.7zip\n"
                                   "Install Files @ media=" + media + "\n  | " + source + "\n  |\n  | $TARGETDIR$\n",
                                   "project.orv");
    project.folder = dir.path().string();
    return project;
}

TEST(BlockFiles, AMediaNamingNoBlockOfTheProjectIsRefusedWithItsLine) {
    TempDir dir;
    dir.write("media/one/readme.txt", "readme");
    EXPECT_EQ(RecordingCommandErrors(BlockProject(dir, "Block1\\", "media/one")), std::vector<std::string>{});
    EXPECT_EQ(RecordingCommandErrors(BlockProject(dir, "Blok1\\", "media/one")),
              std::vector<std::string>{"project.orv:10: \"Install Files\": media=Blok1\\ names no web media block of "
                                       "the project (its blocks: Block1)"});
    EXPECT_THROW(AuthorRecordedRows(BlockProject(dir, "Blok1\\", "media/one"), SetupArch::x86), SourceError);
}

TEST(BlockFiles, EachFileIsFoundWhereTheFetchLeavesIt) {
    TempDir dir;
    dir.write("media/one/bin/tool.exe", "tool");
    dir.write("media/one/docs/guide.txt", "guide");
    dir.write("media/one/readme.txt", "readme");
    const Project project = BlockProject(dir, "Block1\\", "media/one");
    const std::vector<RecordingCommand> commands = RecordingCommands(project);
    ASSERT_EQ(commands.size(), 1u);
    const WebMediaFolder* block = FetchedBlock(project, commands[0]);
    ASSERT_NE(block, nullptr);
    const std::vector<BlockFile> files = BlockFiles(project, commands[0], *block);
    ASSERT_EQ(files.size(), 3u);
    // Moved by the media file map; in the block's own tree.
    EXPECT_EQ(files[0].projectPath, "media/one/bin/tool.exe");
    EXPECT_EQ(files[0].targetFolder, "bin");
    EXPECT_EQ(files[0].fetchedFolder, "Program\\bin\\");
    EXPECT_EQ(files[1].targetFolder, "docs");
    EXPECT_EQ(files[1].fetchedFolder, "Block1\\docs\\");
    EXPECT_EQ(files[2].targetFolder, "");
    EXPECT_EQ(files[2].fetchedFolder, "Block1\\");
    EXPECT_EQ(files[2].name, "readme.txt");

    // The rows copy from the data folder; no file element puts the data into the cabinet.
    const RecordedRows rows = AuthorRecordedRows(project, SetupArch::x86);
    EXPECT_EQ(rows.wix.find("<File "), std::string::npos) << rows.wix;
    std::string sql;
    for (const std::string& statement : rows.sql) sql += statement + "\n";
    EXPECT_NE(sql.find("'[SRCDIR]Program\\bin\\'"), std::string::npos) << sql;
    EXPECT_NE(sql.find("'[SRCDIR]Block1\\docs\\'"), std::string::npos) << sql;
    EXPECT_NE(sql.find("INSERT INTO `RemoveFile`"), std::string::npos) << sql;

    // A file outside the block's folder would be in no archive.
    dir.write("other/x.txt", "x");
    const Project outside = BlockProject(dir, "Block1\\", "other");
    EXPECT_NE(RecordingCommandErrors(outside).at(0).find("'other' is not in the folder 'media/one' of web media block Block1"),
              std::string::npos);
    // Outside the caching mode the engine fetches nothing: the files stay in the package.
    Project plain = BlockProject(dir, "Block1\\", "media/one");
    plain.payload.project.MediaMode = 1;
    EXPECT_EQ(FetchedBlock(plain, RecordingCommands(plain)[0]), nullptr);
}

}  // namespace
