// The engine's archive front end: the one-shot password slot, the default
// callbacks, overwrite and path handling, cancellation and the error texts.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "media/uSevenZipAPI.h"
#include "support/ArchiveFixtures.h"

namespace fs = std::filesystem;

namespace {

class FrontEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveCommand("7zz")) GTEST_SKIP() << "7zz not installed";
        dir_.write("in/top.txt", "top level");
        dir_.write("in/folder/inner.txt", fixtures::TextBytes(20000, 3));
        archive_ = Pack("plain.7z", "");
    }
    std::string Pack(const std::string& name, const std::string& options) {
        std::string archive = dir_.file(name);
        EXPECT_EQ(fixtures::Run("cd " + fixtures::Quote(dir_.file("in")) + " && 7zz a -bd -y " + options + " " +
                                fixtures::Quote(archive) + " top.txt folder >/dev/null"),
                  0);
        return archive;
    }
    TempDir dir_;
    std::string archive_;
    std::string error_;
};

TEST_F(FrontEnd, PasswordSlotAnswersOnceThenStaysEmpty) {
    char buffer[kKebPasswordBufferSize] = {};
    ArmPasswordSlot("Secret");
    EXPECT_EQ(DefaultPasswordCallback(buffer), 1);
    EXPECT_STREQ(buffer, "Secret");
    EXPECT_EQ(DefaultPasswordCallback(buffer), 0);

    // A password longer than the buffer is cut, never overrun.
    ArmPasswordSlot(std::string(kKebPasswordBufferSize + 50, 'p'));
    EXPECT_EQ(DefaultPasswordCallback(buffer), 1);
    EXPECT_EQ(std::string(buffer).size(), kKebPasswordBufferSize - 1);
}

int passwordCalls = 0;
int32_t KEB_CALL CountingPasswordCallback(char* buffer) {
    ++passwordCalls;
    std::strcpy(buffer, "Secret");
    return 1;
}

TEST_F(FrontEnd, LibraryAsksThePasswordCallbackOncePerCall) {
    std::string archive = Pack("secret.7z", "-pSecret -mhe=on");
    ArchiveCallbacks callbacks;
    callbacks.password = &CountingPasswordCallback;
    // Encrypted headers and encrypted data: one question answers both.
    std::vector<std::string> names{"top.txt", "folder\\inner.txt"};
    ASSERT_TRUE(ExtractArchiveFiles(archive, "", dir_.file("out"), callbacks, &names, error_, true, true)) << error_;
    EXPECT_EQ(passwordCalls, 1);
    EXPECT_EQ(ReadWholeFile(dir_.file("out/top.txt")), "top level");
}

TEST_F(FrontEnd, EmptyArchiveListsNothingAndExtractsNothing) {
    std::string empty(32, '\0');
    const unsigned char header[] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C, 0, 4, 0x8D, 0x9B, 0xD5, 0x0F};
    std::memcpy(empty.data(), header, sizeof header);
    std::string archive = dir_.write("empty.7z", empty);
    std::vector<std::string> names;
    ASSERT_TRUE(ListArchive(archive, "", error_, names)) << error_;
    EXPECT_TRUE(names.empty());
    EXPECT_TRUE(ExtractArchiveFiles(archive, "", dir_.file("out"), {}, nullptr, error_, true, true)) << error_;
    EXPECT_TRUE(fs::is_empty(dir_.file("out")));
}

TEST_F(FrontEnd, OverwriteAllDecidesWhetherExistingFilesAreReplaced) {
    dir_.write("out/top.txt", "old");
    ASSERT_TRUE(ExtractArchiveFiles(archive_, "", dir_.file("out"), {}, nullptr, error_, false, true)) << error_;
    EXPECT_EQ(ReadWholeFile(dir_.file("out/top.txt")), "old");
    EXPECT_EQ(ReadWholeFile(dir_.file("out/folder/inner.txt")), fixtures::TextBytes(20000, 3));
    ASSERT_TRUE(ExtractArchiveFiles(archive_, "", dir_.file("out"), {}, nullptr, error_, true, true)) << error_;
    EXPECT_EQ(ReadWholeFile(dir_.file("out/top.txt")), "top level");
}

TEST_F(FrontEnd, WithoutTheExtractFlagFilesLandDirectlyInTheDestination) {
    ASSERT_TRUE(ExtractArchiveFiles(archive_, "", dir_.file("out"), {}, nullptr, error_, true, false)) << error_;
    EXPECT_EQ(ReadWholeFile(dir_.file("out/inner.txt")), fixtures::TextBytes(20000, 3));
    EXPECT_FALSE(fs::exists(dir_.file("out/folder")));
}

TEST_F(FrontEnd, AGivenFileListExtractsOnlyThoseEntries) {
    std::vector<std::string> only{"FOLDER\\inner.txt"};
    ASSERT_TRUE(ExtractArchiveFiles(archive_, "", dir_.file("out"), {}, &only, error_, true, true)) << error_;
    EXPECT_TRUE(fs::exists(dir_.file("out/folder/inner.txt")));
    EXPECT_FALSE(fs::exists(dir_.file("out/top.txt")));

    std::vector<std::string> unknown{"nothing.txt"};
    EXPECT_FALSE(ExtractArchiveFiles(archive_, "", dir_.file("out2"), {}, &unknown, error_, true, true));
    EXPECT_EQ(error_, "#1002");
}

int32_t KEB_CALL StopAtOnce(const char*, uint32_t, uint32_t, uint32_t, uint32_t) { return 0; }

TEST_F(FrontEnd, ProgressCallbackCanCancelWithoutLeavingPartialFiles) {
    ArchiveCallbacks callbacks;
    callbacks.progress = &StopAtOnce;
    EXPECT_FALSE(ExtractArchiveFiles(archive_, "", dir_.file("out"), callbacks, nullptr, error_, true, true));
    EXPECT_EQ(error_, "#1007");
    for (auto& e : fs::recursive_directory_iterator(dir_.file("out"))) EXPECT_TRUE(e.is_directory()) << e.path();
}

struct ProgressLog {
    uint64_t lastDone = 0, total = 0;
    int calls = 0;
};
ProgressLog progressLog;

int32_t KEB_CALL RecordProgress(const char*, uint32_t doneLow, uint32_t doneHigh, uint32_t totalLow, uint32_t totalHigh) {
    uint64_t done = uint64_t(doneHigh) << 32 | doneLow;
    EXPECT_GE(done, progressLog.lastDone);
    progressLog.lastDone = done;
    progressLog.total = uint64_t(totalHigh) << 32 | totalLow;
    ++progressLog.calls;
    return 1;
}

TEST_F(FrontEnd, ProgressRunsFromZeroToTheTotalSize) {
    ArchiveCallbacks callbacks;
    callbacks.progress = &RecordProgress;
    ASSERT_TRUE(ExtractArchiveFiles(archive_, "", dir_.file("out"), callbacks, nullptr, error_, true, true)) << error_;
    uint64_t total = 9 + fixtures::TextBytes(20000, 3).size();
    EXPECT_EQ(progressLog.total, total);
    EXPECT_EQ(progressLog.lastDone, total);
    EXPECT_GE(progressLog.calls, 2);
}

}  // namespace
