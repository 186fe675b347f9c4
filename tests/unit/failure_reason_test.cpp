#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>

#include "support/TempDir.h"
#include "system/FailureReason.h"
#include "system/Files.h"
#include "system/HostSystemMessages.h"

namespace {

std::string HostText(int error) { return std::generic_category().message(error); }

TEST(FailureReasonTest, TheReasonFollowsAPhraseAfterAColonAndASentenceAfterASpace) {
    EXPECT_EQ(WithReason("Cannot copy a to b", "Access is denied.\r\n"), "Cannot copy a to b: Access is denied.");
    EXPECT_EQ(WithReason("The folder cannot be created.", "The file exists. \r\n"),
              "The folder cannot be created. The file exists.");
    EXPECT_EQ(WithReason("Cannot copy a to b", ""), "Cannot copy a to b");
    EXPECT_EQ(WithReason("Cannot copy a to b", " \r\n"), "Cannot copy a to b");
}

TEST(FailureReasonTest, AnErrorCodeGivesTheSystemsTextAndCodeZeroNone) {
    HostSystemMessages()[5] = "Access is denied.\r\n";
    RecordFailure(5);
    EXPECT_EQ(WithFailureReason("Cannot copy a to b"), "Cannot copy a to b: Access is denied.");
    HostSystemMessages()[0] = "The operation completed successfully.\r\n";
    RecordFailure(0);
    EXPECT_EQ(LastFailureReason(), "");
    HostSystemMessages().clear();
}

TEST(FailureReasonTest, AFailedCopyKeepsTheSystemsReasonAndASuccessForgetsIt) {
    TempDir dir;
    const std::string source = dir.write("source.txt", "data");
    EXPECT_FALSE(CopyFileOver(dir.file("missing.txt"), dir.file("copy.txt")));
    EXPECT_EQ(LastFailureReason(), HostText(ENOENT));
    EXPECT_TRUE(CopyFileOver(source, dir.file("copy.txt")));
    EXPECT_EQ(LastFailureReason(), "");

    EXPECT_FALSE(CopyFileToNewName(source, dir.file("missing/copy.txt")));
    EXPECT_EQ(WithFailureReason("Cannot copy"), "Cannot copy: " + HostText(ENOENT));
}

TEST(FailureReasonTest, FolderCreationKeepsTheSystemsReason) {
    TempDir dir;
    dir.write("file", "a file, not a folder");
    EXPECT_EQ(CreateNewFolder(dir.file("missing/keb1")), NewFolderResult::Failed);
    EXPECT_EQ(LastFailureReason(), HostText(ENOENT));
    EXPECT_FALSE(CreateFolderTree(dir.file("file/sub")));
    EXPECT_EQ(LastFailureReason(), HostText(ENOTDIR));
    EXPECT_TRUE(CreateFolderTree(dir.file("made/sub")));
    EXPECT_EQ(LastFailureReason(), "");
}

TEST(FailureReasonTest, EachThreadKeepsItsOwnReason) {
    RecordFailureText("this thread's reason");
    std::string other = "unset";
    std::thread([&other] { other = LastFailureReason(); }).join();
    EXPECT_EQ(other, "");
    EXPECT_EQ(LastFailureReason(), "this thread's reason");
    ForgetFailure();
}

}  // namespace
