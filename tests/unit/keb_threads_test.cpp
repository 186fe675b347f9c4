// Extraction on two threads: an archive of several folders made by 7zz,
// each folder decoded whole by one thread, must come out as 7zz extracts
// it; progress adds up, a cancel stops both threads, and damage in one
// folder is reported without anything incomplete or outside the destination.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "keb/Archive.h"
#include "keb/ArchiveError.h"
#include "keb/Extractor.h"
#include "support/ArchiveFixtures.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kFileSize = 200000;

// Six files of incompressible data, each its own folder (-ms=off), in two
// sub-folders, with an empty file and an empty folder among them.
std::string MakeMultiFolderArchive(const TempDir& dir) {
    for (int i = 0; i < 6; ++i)
        dir.write("in/" + std::string(i % 2 ? "odd/" : "even/") + "f" + std::to_string(i) + ".bin",
                  fixtures::RandomBytes(kFileSize - 1000, 20 + i) + fixtures::TextBytes(20, 40 + i));
    dir.write("in/empty.txt", "");
    fs::create_directories(dir.path() / "in" / "nothing");
    std::string archive = dir.file("multi.7z");
    EXPECT_EQ(fixtures::Run("cd " + fixtures::Quote(dir.file("in")) + " && 7zz a -bd -y -m0=LZMA -mf=off -ms=off " +
                            fixtures::Quote(archive) + " . >/dev/null"),
              0);
    return archive;
}

uint64_t g_done = 0, g_total = 0;
int g_reports = 0, g_cancelAfter = -1;
std::thread::id g_caller;
bool g_callbackOnOtherThread = false;
std::set<std::string> g_asked;  // entry and overwrite questions, by name

int32_t KEB_CALL Progress(const char*, uint32_t doneLow, uint32_t doneHigh, uint32_t totalLow, uint32_t totalHigh) {
    g_callbackOnOtherThread |= std::this_thread::get_id() != g_caller;
    g_done = uint64_t(doneHigh) << 32 | doneLow;
    g_total = uint64_t(totalHigh) << 32 | totalLow;
    return ++g_reports == g_cancelAfter ? 0 : 1;
}

// Skips f1.bin.
int32_t KEB_CALL EntryQuestion(const char* name, uint32_t) {
    g_callbackOnOtherThread |= std::this_thread::get_id() != g_caller;
    g_asked.insert(std::string("entry ") + name);
    return std::string(name).find("f1.bin") == std::string::npos;
}

// Keeps the existing f3.bin, replaces the others.
int32_t KEB_CALL OverwriteQuestion(const char*, uint32_t, uint32_t, uint32_t, uint32_t, const char* name, uint32_t,
                                   uint32_t, uint32_t, uint32_t) {
    g_callbackOnOtherThread |= std::this_thread::get_id() != g_caller;
    g_asked.insert(std::string("overwrite ") + name);
    return std::string(name).find("f3.bin") == std::string::npos ? kKebOverwriteYes : kKebOverwriteSkip;
}

// Extracts every entry with the given thread count; the error code, or none.
uint32_t Extract(const std::string& archivePath, const std::string& destination, unsigned threads,
                 bool ask = false) {
    g_done = g_total = 0;
    g_reports = 0;
    g_caller = std::this_thread::get_id();
    g_asked.clear();
    keb::ExtractRequest request;
    request.destination = destination;
    request.threads = threads;
    if (ask) {
        request.entry = EntryQuestion;
        request.overwrite = OverwriteQuestion;
    }
    return fixtures::ExtractAll(archivePath, request, Progress);
}

TEST(KebThreads, MultiFolderArchiveComesOutAs7zzExtractsIt) {
    if (!fixtures::HaveCommand("7zz")) GTEST_SKIP() << "7zz not installed";
    TempDir dir;
    std::string archive = MakeMultiFolderArchive(dir);
    {
        keb::PasswordProvider password(nullptr, nullptr);
        ASSERT_EQ(keb::Archive(archive, password).database().folders.size(), 6u);
    }
    ASSERT_NO_FATAL_FAILURE(fixtures::ExtractWith7zz(archive, dir.file("theirs")));
    for (unsigned threads : {2u, 1u}) {
        std::string out = dir.file("ours" + std::to_string(threads));
        ASSERT_EQ(Extract(archive, out, threads), kKebErrorNone) << threads;
        EXPECT_EQ(fixtures::FilesBelow(out), fixtures::FilesBelow(dir.path() / "theirs")) << threads;
        fixtures::ExpectOnlyCompleteFiles(out, dir.path() / "theirs");
        EXPECT_TRUE(fs::is_directory(fs::path(out) / "nothing")) << threads;
        EXPECT_EQ(g_done, g_total) << threads;
        uint64_t bytes = 0;
        for (const std::string& name : fixtures::FilesBelow(dir.path() / "theirs"))
            bytes += fs::file_size(dir.path() / "theirs" / name);
        EXPECT_EQ(g_total, bytes) << threads;
    }
}

TEST(KebThreads, CallbacksAreAnsweredOnTheCallersThread) {
    if (!fixtures::HaveCommand("7zz")) GTEST_SKIP() << "7zz not installed";
    TempDir dir;
    std::string archive = MakeMultiFolderArchive(dir);
    std::string out = dir.file("out");
    dir.write("out/odd/f3.bin", "kept");
    dir.write("out/even/f0.bin", "replaced");
    g_callbackOnOtherThread = false;
    ASSERT_EQ(Extract(archive, out, 2, true), kKebErrorNone);
    EXPECT_FALSE(g_callbackOnOtherThread);
    EXPECT_EQ(g_asked.size(), 10u + 2u);  // every file and folder, the two existing files
    EXPECT_TRUE(g_asked.count("overwrite odd\\f3.bin") && g_asked.count("overwrite even\\f0.bin"));
    EXPECT_FALSE(fs::exists(fs::path(out) / "odd" / "f1.bin"));
    EXPECT_EQ(ReadWholeFile(out + "/odd/f3.bin"), "kept");
    EXPECT_EQ(ReadWholeFile(out + "/even/f0.bin"), ReadWholeFile(dir.file("in/even/f0.bin")));
    EXPECT_EQ(ReadWholeFile(out + "/odd/f5.bin"), ReadWholeFile(dir.file("in/odd/f5.bin")));
}

TEST(KebThreads, CancelStopsBothThreadsAndLeavesNoPartialFile) {
    if (!fixtures::HaveCommand("7zz")) GTEST_SKIP() << "7zz not installed";
    TempDir dir;
    std::string archive = MakeMultiFolderArchive(dir);
    g_cancelAfter = 2;  // the first report comes from the empty file
    EXPECT_EQ(Extract(archive, dir.file("out"), 2), kKebErrorCancelled);
    g_cancelAfter = -1;
    fixtures::ExpectOnlyCompleteFiles(dir.path() / "out", dir.path() / "in");
    for (const std::string& name : fixtures::FilesBelow(dir.path() / "out"))
        EXPECT_EQ(name.find(".part"), std::string::npos) << name;
}

TEST(KebThreads, DamageInOneFolderIsReportedAndNothingLeavesTheDestination) {
    if (!fixtures::HaveCommand("7zz")) GTEST_SKIP() << "7zz not installed";
    TempDir dir;
    std::string archive = MakeMultiFolderArchive(dir);
    {
        // Incompressible data packs to about its own size: the middle of
        // the second packed stream.
        std::fstream f(archive, std::ios::in | std::ios::out | std::ios::binary);
        f.seekg(32 + kFileSize + kFileSize / 2);
        char c = 0;
        f.read(&c, 1);
        c = static_cast<char>(c ^ 0x20);
        f.seekp(32 + kFileSize + kFileSize / 2);
        f.write(&c, 1);
    }
    fs::create_directories(dir.path() / "deep");
    EXPECT_EQ(Extract(archive, dir.file("deep/out"), 2), kKebErrorCorrupt);
    fixtures::ExpectOnlyCompleteFiles(dir.path() / "deep" / "out", dir.path() / "in");
    EXPECT_LT(fixtures::FilesBelow(dir.path() / "deep" / "out").size(), 7u);
    for (const std::string& name : fixtures::FilesBelow(dir.path()))
        EXPECT_TRUE(name.rfind("in/", 0) == 0 || name.rfind("deep/out/", 0) == 0 || name == "multi.7z") << name;
}

}  // namespace
