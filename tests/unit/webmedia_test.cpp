// Web media blocks on the host: the download arithmetic both transports
// share, the media file map, the extraction and copy workers, and the
// block's marker, fed with archives written by 7zz.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "core/EngineMessages.h"
#include "core/ProgressState.h"
#include "media/DownloadProgress.h"
#include "media/MediaFileMap.h"
#include "media/MediaWorkers.h"
#include "media/WebMediaBlock.h"
#include "support/ArchiveFixtures.h"
#include "system/PathParts.h"
#include "system/TextUtils.h"

namespace fs = std::filesystem;

namespace {

TEST(DownloadRange, ResumesFromTheLast2048BytesOfALargerPartialFileWithItsValidator) {
    EXPECT_EQ(ResumeOffset(1000, true, true), 0);
    EXPECT_EQ(ResumeOffset(2048, true, true), 0);
    EXPECT_EQ(ResumeOffset(2049, true, true), 1);
    EXPECT_EQ(ResumeOffset(10000, true, true), 7952);
    EXPECT_EQ(ResumeOffset(10000, false, true), 0);
    // Without a validator the file on the server may have changed since.
    EXPECT_EQ(ResumeOffset(10000, true, false), 0);
}

// The answer's use, offset and total in one comparable value.
std::tuple<GetAnswer::Use, int64_t, int64_t> Answer(unsigned status, const std::vector<std::string>& headers,
                                                    int64_t requested, int64_t knownTotal) {
    const GetAnswer answer = ReadGetAnswer(status, headers, requested, knownTotal);
    return {answer.use, answer.offset, answer.total};
}

TEST(DownloadRange, AWholeFileAnswerStartsTheFileAgain) {
    using Use = GetAnswer::Use;
    // The server ignored the range, or If-Range found the file changed.
    EXPECT_EQ(Answer(200, {"Content-Length: 10000"}, 7952, 10000), std::make_tuple(Use::Write, 0, 10000));
    // Without a length of its own, the HEAD's length tells when it is complete.
    EXPECT_EQ(Answer(200, {}, 0, 10000), std::make_tuple(Use::Write, 0, 10000));
    EXPECT_EQ(Answer(200, {}, 0, 0), std::make_tuple(Use::Write, 0, 0));
    EXPECT_EQ(std::get<0>(Answer(404, {"Content-Length: 30"}, 0, 0)), Use::Fail);
    EXPECT_EQ(std::get<0>(Answer(500, {}, 7952, 10000)), Use::Fail);
}

TEST(DownloadRange, ARangeAnswerContinuesOnlyTheRangeAskedFor) {
    using Use = GetAnswer::Use;
    const std::vector<std::string> fits = {"HTTP/1.1 206 Partial Content", "content-range: bytes 7952-9999/10000",
                                           "Content-Length: 2048"};
    EXPECT_EQ(Answer(206, fits, 7952, 10000), std::make_tuple(Use::Write, 7952, 10000));
    EXPECT_EQ(Answer(206, fits, 7952, 0), std::make_tuple(Use::Write, 7952, 10000));  // no HEAD length
    EXPECT_EQ(Answer(206, {"Content-Range: bytes 7952-9999/10000"}, 7952, 0), std::make_tuple(Use::Write, 7952, 10000));
    for (const std::vector<std::string>& other : std::vector<std::vector<std::string>>{
             {"Content-Range: bytes 9000-9999/10000"},            // another start
             {"Content-Range: bytes 0-9999/10000"},               // the whole file as a range
             {"Content-Range: bytes 7952-8999/10000"},            // not to the end
             {"Content-Range: bytes 7952-9999/*"},                // no total
             {"Content-Range: bytes 7952-10999/11000"},           // another total than the HEAD's
             {"Content-Range: bytes 7952-9999/10000", "Content-Length: 100"},
             {"Content-Range: items 7952-9999/10000"},
             {"Content-Range: bytes 7952-9999/10000x"},
             {"X-Content-Range: bytes 7952-9999/10000"},
             {}})
        EXPECT_EQ(std::get<0>(Answer(206, other, 7952, 10000)), Use::Restart) << (other.empty() ? "" : other[0]);
    // The partial file is longer than the file on the server.
    EXPECT_EQ(std::get<0>(Answer(416, {"Content-Range: bytes */5000"}, 7952, 5000)), Use::Restart);
    // No range was asked for: nothing to restart.
    EXPECT_EQ(std::get<0>(Answer(206, {"Content-Range: bytes 1000-9999/10000"}, 0, 0)), Use::Fail);
    EXPECT_EQ(std::get<0>(Answer(416, {}, 0, 0)), Use::Fail);
    EXPECT_EQ(Answer(206, {"Content-Range: bytes 0-9999/10000"}, 0, 0), std::make_tuple(Use::Write, 0, 10000));
}

TEST(DownloadPercent, WithALengthCountsFromOneToAHundred) {
    EXPECT_EQ(TransferPercent(0, 1000, 0), 1);
    EXPECT_EQ(TransferPercent(500, 1000, 0), 51);
    EXPECT_EQ(TransferPercent(999, 1000, 0), 100);
    EXPECT_EQ(TransferPercent(1000, 1000, 0), 100);
    EXPECT_EQ(TransferPercent(5000, 1000, 0), 100);
    // 64-bit counts: no overflow on a 5 GB download.
    EXPECT_EQ(TransferPercent(2500000000LL, 5000000000LL, 0), 51);
}

TEST(DownloadPercent, WithoutALengthCyclesAndWrapsAfterAHundred) {
    EXPECT_EQ(TransferPercent(12345, 0, 0), 1);
    EXPECT_EQ(TransferPercent(12345, 0, 41), 42);
    EXPECT_EQ(TransferPercent(12345, 0, 99), 100);
    EXPECT_EQ(TransferPercent(12345, 0, 100), 0);
}

TEST(DownloadStatus, BytesAreGroupedAndThePercentageNeedsALength) {
    ResetEngineTexts();
    EXPECT_EQ(ReceivedStatusText(1234567, true, 13), "1,234,567 bytes received, 13% complete");
    EXPECT_EQ(ReceivedStatusText(1234567, false, 13), "1,234,567 bytes received");
    EXPECT_EQ(ReceivedStatusText(999, true, 100), "999 bytes received, 100% complete");
}

TEST(DownloadStatus, BindingStatusTextsByCode) {
    ResetEngineTexts();
    EXPECT_EQ(BindStatusText(1, "example.test"), "Locating resource example.test");
    EXPECT_EQ(BindStatusText(2, ""), "Connecting to");
    EXPECT_EQ(BindStatusText(0, "only the extra"), "only the extra");
    EXPECT_EQ(BindStatusText(33, ""), "Accept ranges");
    EXPECT_EQ(BindStatusText(34, "beyond the table"), "beyond the table");
    EXPECT_TRUE(IsTransferStatus(BindStatusText(5, "http://example.test/a.7zip")));
    EXPECT_FALSE(IsTransferStatus(BindStatusText(4, "")));
}

TEST(DownloadHeaders, ContentLengthAndValidator) {
    EXPECT_EQ(ContentLengthOf({"HTTP/1.1 200 OK", "content-length:  4096 ", "ETag: \"x\""}), 4096);
    EXPECT_EQ(ContentLengthOf({"HTTP/1.1 200 OK", "Content-Length: 12ab"}), std::nullopt);
    EXPECT_EQ(ContentLengthOf({"HTTP/1.1 200 OK"}), std::nullopt);
    // Only the header of that very name counts, wherever others mention it.
    EXPECT_EQ(ContentLengthOf({"HTTP/1.1 200 OK", "X-Original-Content-Length: 5", "Content-Length: 1000"}), 1000);
    EXPECT_EQ(ContentLengthOf({"x-goog-stored-content-length: 5", "CONTENT-LENGTH:1000"}), 1000);
    EXPECT_EQ(ContentLengthOf({"x-goog-stored-content-length: 5"}), std::nullopt);
    EXPECT_EQ(ContentLengthOf({" Content-Length: 5"}), std::nullopt);
    EXPECT_EQ(ContentLengthOf({"Content-Length : 5"}), std::nullopt);
    EXPECT_EQ(HeaderValue({"Warning: see Content-Range: bytes 0-1/2", "Content-Range:  bytes 0-1/2 "}, "content-range"),
              "bytes 0-1/2");
    EXPECT_EQ(ChooseValidator("\"v1\"", "Wed, 09 Dec 2026 05:00:00 GMT"), "\"v1\"");
    EXPECT_EQ(ChooseValidator("W/\"weak\"", "Wed, 09 Dec 2026 05:00:00 GMT"), "Wed, 09 Dec 2026 05:00:00 GMT");
    EXPECT_EQ(ChooseValidator("", ""), "");
}

TEST(MediaHash, Sha256OfFilesAndTheHashList) {
    TempDir dir;
    // FIPS 180-2 examples.
    EXPECT_EQ(FileSha256(dir.write("abc", "abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(FileSha256(dir.write("two-blocks", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(FileSha256(dir.write("million", std::string(1000000, 'a'))),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_EQ(FileSha256(dir.file("missing")), "");

    const std::string list = std::string(64, 'A') + "  Block1.7zip\r\n" + std::string(64, 'b') + " *Other.7zip\r\n";
    EXPECT_EQ(ExpectedMediaHash(list, "block1.7ZIP"), std::string(64, 'a'));
    EXPECT_EQ(ExpectedMediaHash(list, "Other.7zip"), std::string(64, 'b'));
    EXPECT_EQ(ExpectedMediaHash(list, "Third.7zip"), "");
}

TEST(MediaFileMap, AFileListedTwiceEndsUpInBothPlaces) {
    TempDir dir;
    dir.write("t/Block1/bin/tool.exe", "tool");
    dir.write("t/Block1/readme.txt", "readme");
    const std::vector<std::string> map = {"Block1", "bin\\tool.exe", "Program\\bin",  //
                                          "OTHER",  "readme.txt",   "elsewhere",    //
                                          "block1", "bin\\tool.exe", "Shared",       //
                                          "Block1", "readme.txt",   ""};
    const auto moves = MediaFileMoves(map, "Block1", dir.file("t"), dir.file("data"));
    ASSERT_EQ(moves.size(), 3u);
    EXPECT_EQ(FileNameOf(moves[0].destination), "tool.exe");
    ASSERT_TRUE(DistributeMediaFiles(moves));
    EXPECT_EQ(ReadWholeFile(dir.file("data/Program/bin/tool.exe")), "tool");
    EXPECT_EQ(ReadWholeFile(dir.file("data/Shared/tool.exe")), "tool");
    EXPECT_EQ(ReadWholeFile(dir.file("data/readme.txt")), "readme");
    EXPECT_FALSE(fs::exists(dir.file("data/elsewhere")));
    EXPECT_FALSE(fs::exists(dir.file("t/Block1/bin/tool.exe")));
}

TEST(MediaFileMap, RefusesPlacesOutsideTheDataFolder) {
    for (const std::vector<std::string>& map : std::vector<std::vector<std::string>>{
             {"B", "..\\evil.dll", "sub"}, {"B", "a.txt", "..\\..\\Windows"}, {"B", "a.txt", "C:\\Windows"},
             {"B", "\\a.txt", "sub"}})
        EXPECT_THROW(MediaFileMoves(map, "B", "/tmp/t", "/tmp/data"), std::runtime_error) << map[1] << " " << map[2];
    EXPECT_EQ(MediaFileMoves({"B", "a..b.txt", "x..y"}, "B", "/tmp/t", "/tmp/data").size(), 1u);
}

TEST(MediaCopy, WithoutAnOfflineFolderLooksOneFolderHigher) {
    TempDir dir;
    dir.write("media/offline/setup/part1.cab", "cab");
    dir.write("media/mergemod/common/module.msm", "msm");
    fs::create_directories(dir.file("media/data"));
    MediaWorkerStatus status;
    ASSERT_TRUE(CopyMedia(dir.file("media/data"), dir.file("target"), status));
    EXPECT_EQ(ReadWholeFile(dir.file("target/offline/setup/part1.cab")), "cab");
    EXPECT_EQ(ReadWholeFile(dir.file("target/common/module.msm")), "msm");
    EXPECT_EQ(status.percent(), 51);

    status.cancel = true;
    dir.write("media/offline/late.cab", "late");
    EXPECT_FALSE(CopyMedia(dir.file("media"), dir.file("other"), status));
}

// A setup folder with a block archive beside it, the data folder below it.
class FetchBlock : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveCommand("7zz")) GTEST_SKIP() << "7zz not installed";
        ResetEngineTexts();
        dir_.write("src/Block1/bin/tool.exe", "tool bytes");
        dir_.write("src/Block1/docs/guide.txt", fixtures::TextBytes(2000, 7));
        ASSERT_EQ(fixtures::Run("cd " + fixtures::Quote(dir_.file("src")) + " && 7zz a -bd -y " +
                                fixtures::Quote(dir_.file("setup/Block1.7zip")) + " Block1 >/dev/null"),
                  0);
        request_.block = "Block1\\";
        request_.url = "http://127.0.0.1:9/Block1.7zip";
        request_.archivePath = dir_.file("data") + "/Block1.7zip";
        request_.sourceFolder = dir_.file("setup") + "/";
        request_.dataFolder = dir_.file("data") + "/";
        request_.revisionCode = kRevision;
        request_.silent = true;
        request_.tempFolder = dir_.file("temp") + "/";
        request_.supportFolder = dir_.file("support") + "/";
        request_.mediaFileMap = {"Block1", "bin\\tool.exe", "Program"};
        fs::create_directories(dir_.file("temp"));
        fs::create_directories(dir_.file("support"));
        RejectedLocalCopies().clear();
    }
    void Fetch() { FetchMediaBlock(request_); }
    std::string Marker() const { return dir_.file("data/Block1/" + std::string(kRevision)); }
    // The copy beside the setup as the messages name it.
    std::string LocalCopy() const { return WithBackslash(request_.sourceFolder) + "Block1.7zip"; }

    static constexpr const char* kRevision = "{7A2B3C4D-5E6F-4B7C-8D9E-0F1A2B3C4D5E}";
    TempDir dir_;
    MediaFetchRequest request_;
};

TEST_F(FetchBlock, ACopyBesideTheSetupIsExtractedDistributedAndMarked) {
    Fetch();
    EXPECT_EQ(ReadWholeFile(dir_.file("data/Program/tool.exe")), "tool bytes");
    EXPECT_EQ(ReadWholeFile(dir_.file("data/Block1/docs/guide.txt")), fixtures::TextBytes(2000, 7));
    EXPECT_TRUE(fs::exists(Marker()));
    EXPECT_TRUE(fs::exists(dir_.file("setup/Block1.7zip"))) << "a local copy stays";
    EXPECT_TRUE(fs::is_empty(dir_.file("temp"))) << "the extraction folder is removed";
    EXPECT_FALSE(MediaFetchInProgress());
    // The progress dialog's text: caption, block without its backslash, CR, the worker's status.
    const ProgressSnapshot progress = ReadProgress();
    EXPECT_TRUE(StartsWith(progress.text, "Extracting Web Media: Block1\r")) << progress.text;
    EXPECT_TRUE(EndsWith(progress.text, "% complete")) << progress.text;
    EXPECT_EQ(progress.maximum, 100);
}

TEST_F(FetchBlock, AMarkedBlockIsNotFetchedAgainAnUnmarkedOneIsWiped) {
    Fetch();
    fs::remove(dir_.file("data/Block1/docs/guide.txt"));
    Fetch();
    EXPECT_FALSE(fs::exists(dir_.file("data/Block1/docs/guide.txt"))) << "the marker says the block is there";

    fs::remove(Marker());
    dir_.write("data/Block1/stale.txt", "from a broken run");
    Fetch();
    EXPECT_FALSE(fs::exists(dir_.file("data/Block1/stale.txt")));
    EXPECT_TRUE(fs::exists(dir_.file("data/Block1/docs/guide.txt")));
    EXPECT_TRUE(fs::exists(Marker()));
}

TEST_F(FetchBlock, LinksPlantedInTheDataFolderAreRemovedNotFollowed) {
    // Someone else's folder with a marker posing as the finished block, and
    // a link where a mapped file goes.
    dir_.write("elsewhere/" + std::string(kRevision), "");
    fs::create_directories(dir_.file("data"));
    fs::create_directory_symlink(dir_.file("elsewhere"), dir_.file("data/Block1"));
    fs::create_directories(dir_.file("other"));
    fs::create_directory_symlink(dir_.file("other"), dir_.file("data/Program"));
    Fetch();
    EXPECT_FALSE(fs::is_symlink(dir_.file("data/Block1")));
    EXPECT_FALSE(fs::is_symlink(dir_.file("data/Program")));
    EXPECT_EQ(ReadWholeFile(dir_.file("data/Program/tool.exe")), "tool bytes");
    EXPECT_TRUE(fs::exists(dir_.file("data/Block1/docs/guide.txt")));
    EXPECT_TRUE(fs::is_empty(dir_.file("other")));
    EXPECT_FALSE(fs::exists(dir_.file("elsewhere/docs")));
    EXPECT_TRUE(fs::exists(dir_.file("elsewhere/" + std::string(kRevision))));
}

TEST_F(FetchBlock, ACancelFromTheProgressDialogEndsTheFetch) {
    SetCancelRequested(true);
    try {
        Fetch();
        ADD_FAILURE() << "the block was fetched";
    } catch (const MediaFetchError& e) {
        EXPECT_STREQ(e.what(), ("Unable to extract installation data downloaded from the web (block \"Block1\", " +
                                LocalCopy() + "): cancelled").c_str());
    }
    SetCancelRequested(false);
    EXPECT_FALSE(fs::exists(Marker()));
    EXPECT_FALSE(fs::exists(dir_.file("data/Block1")));
    EXPECT_FALSE(LongOperationRunning());
}

TEST_F(FetchBlock, NothingIsFetchedWhileRemoving) {
    request_.removing = true;
    Fetch();
    EXPECT_FALSE(fs::exists(dir_.file("data")));
}

TEST_F(FetchBlock, AnArchiveWhoseHashDiffersIsRefused) {
    dir_.write("support/webmedia.sha256", std::string(64, '0') + "  Block1.7zip\r\n");
    try {
        Fetch();
        FAIL() << "the block was fetched";
    } catch (const MediaFetchError& e) {
        // The copy an author rebuilt is not the one the setup knows: the message says so.
        EXPECT_STREQ(e.what(), ("Unable to extract installation data downloaded from the web (block \"Block1\", " +
                                LocalCopy() +
                                "): the copy beside the setup of Block1.7zip differs from the one this setup was "
                                "built with (SHA-256 check)").c_str());
    }
    EXPECT_FALSE(fs::exists(dir_.file("data/Block1")));
    EXPECT_FALSE(fs::exists(dir_.file("data/Program/tool.exe")));
    EXPECT_TRUE(fs::exists(dir_.file("setup/Block1.7zip"))) << "a copy beside the setup is never deleted";

    dir_.write("support/webmedia.sha256", FileSha256(dir_.file("setup/Block1.7zip")) + "  Block1.7zip\r\n");
    Fetch();
    EXPECT_TRUE(fs::exists(Marker()));
}

TEST_F(FetchBlock, AnInteractiveRunAsksTheRequestsQuestionsBeforeGivingUp) {
    std::string bytes = ReadWholeFile(dir_.file("setup/Block1.7zip"));
    bytes[bytes.size() / 2] ^= 0x01;
    dir_.write("setup/Block1.7zip", bytes);
    std::vector<std::string> asked;
    request_.silent = false;
    request_.questions.retryExtraction = [&asked] {
        asked.push_back("extraction");
        return asked.size() == 1 ? ExtractionRetry::ExtractAgain : ExtractionRetry::DownloadFresh;
    };
    request_.questions.retryDownloadWithProxy = [&asked](ProxyFields&) {
        asked.push_back("download with proxy");
        return false;
    };
    request_.questions.retryDownloadResume = [&asked](bool) -> std::optional<bool> {
        asked.push_back("download resume");
        return std::nullopt;
    };
    try {
        Fetch();
        FAIL() << "the block was fetched";
    } catch (const MediaFetchError& e) {
        EXPECT_STREQ(e.what(), "Unable to download installation data from the web (block \"Block1\", "
                               "http://127.0.0.1:9/Block1.7zip): the server cannot be reached");
    }
    // Extracted twice from the damaged copy beside the setup, which is then
    // set aside; the download from the unreachable server fails.
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0], "extraction");
    EXPECT_EQ(asked[1], "extraction");
    EXPECT_EQ(asked[2], "download with proxy");  // the host has no system download service
    EXPECT_EQ(RejectedLocalCopies().size(), 1u);
    EXPECT_FALSE(fs::exists(Marker()));
}

TEST_F(FetchBlock, ADamagedCopyFailsExtractionAndNoDownloadMeansTheDownloadMessage) {
    std::string bytes = ReadWholeFile(dir_.file("setup/Block1.7zip"));
    bytes[bytes.size() / 2] ^= 0x01;
    dir_.write("setup/Block1.7zip", bytes);
    EXPECT_THROW(Fetch(), MediaFetchError);
    EXPECT_FALSE(fs::exists(Marker()));

    fs::remove(dir_.file("setup/Block1.7zip"));
    try {
        Fetch();
        FAIL() << "the block was fetched";
    } catch (const MediaFetchError& e) {
        EXPECT_STREQ(e.what(), "Unable to download installation data from the web (block \"Block1\", "
                               "http://127.0.0.1:9/Block1.7zip): the server cannot be reached");
    }
}

}  // namespace
