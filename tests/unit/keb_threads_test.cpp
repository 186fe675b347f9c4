// Extraction on two threads: an archive of several folders made by 7zz,
// each folder decoded whole by one thread, must come out as 7zz extracts
// it, and as it does on one thread, with the same questions asked; progress
// adds up, a cancel stops both threads, and damage in one folder is reported
// without anything incomplete or outside the destination.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <utility>
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
std::vector<std::string> g_overwrites;  // overwrite questions in the order asked
int32_t g_overwriteAnswer = kKebOverwriteYes;

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
// Answers every overwrite question with g_overwriteAnswer.
int32_t KEB_CALL RecordedOverwriteQuestion(const char* existingPath, uint32_t, uint32_t, uint32_t, uint32_t,
                                           const char* name, uint32_t, uint32_t, uint32_t, uint32_t) {
    g_callbackOnOtherThread |= std::this_thread::get_id() != g_caller;
    g_overwrites.push_back(std::string(name) + " -> " + fs::path(existingPath).filename().string());
    return g_overwriteAnswer;
}

uint32_t Extract(const std::string& archivePath, const std::string& destination, unsigned threads,
                 bool ask = false, bool withoutPaths = false) {
    g_done = g_total = 0;
    g_reports = 0;
    g_caller = std::this_thread::get_id();
    g_asked.clear();
    g_overwrites.clear();
    keb::ExtractRequest request;
    request.destination = destination;
    request.threads = threads;
    request.withoutPaths = withoutPaths;
    if (ask) {
        request.entry = EntryQuestion;
        request.overwrite = OverwriteQuestion;
    } else {
        request.overwrite = RecordedOverwriteQuestion;
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

// Every file and folder below root ("/" after folders) with the files'
// sizes and digests, short enough for a failure message.
std::map<std::string, std::string> TreeBelow(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (auto& e : fs::recursive_directory_iterator(root)) {
        std::string name = fs::relative(e.path(), root).string();
        if (e.is_directory()) {
            tree[name + "/"] = "";
            continue;
        }
        std::string bytes = ReadWholeFile(e.path().string());
        tree[name] = std::to_string(bytes.size()) + " bytes, " + std::to_string(std::hash<std::string>()(bytes));
    }
    return tree;
}

// An entry named as the temporary file of another entry, in a folder
// decoded beside that entry's on the other thread, after a delay, while the
// large entry is still being written.
TEST(KebThreads, AnEntryNamedLikeATemporaryFileComesOutAs7zzExtractsIt) {
    if (!fixtures::HaveCommand("7zz")) GTEST_SKIP() << "7zz not installed";
    TempDir dir;
    dir.write("in/0", "first");
    dir.write("in/a", fixtures::TextBytes(400000, 7));
    dir.write("in/a.0", fixtures::RandomBytes(1500000, 8));
    dir.write("in/a.keb0.part", "ten bytes!");
    std::string archive = dir.file("names.7z");
    // Two folders of two files each: [0, a] and [a.0, a.keb0.part].
    ASSERT_EQ(fixtures::Run("cd " + fixtures::Quote(dir.file("in")) + " && 7zz a -bd -y -m0=LZMA -mx=1 -ms=2f " +
                            fixtures::Quote(archive) + " 0 a a.0 a.keb0.part >/dev/null"),
              0);
    ASSERT_NO_FATAL_FAILURE(fixtures::ExtractWith7zz(archive, dir.file("theirs")));
    for (unsigned threads : {2u, 1u}) {
        std::string out = dir.file("ours" + std::to_string(threads));
        ASSERT_EQ(Extract(archive, out, threads), kKebErrorNone) << threads;
        EXPECT_EQ(TreeBelow(out), TreeBelow(dir.path() / "theirs")) << threads;
        EXPECT_EQ(g_done, g_total) << threads;
    }
}

// Entries of different folders landing on one file (here without their
// paths): the question is asked once per existing target, in entry order,
// and the answer holds for every entry of that target, as 7zz's "replace
// all" (-aoa) and "skip existing" (-aos) do; the same on both thread counts.
TEST(KebThreads, EntriesSharingATargetAreDecidedOnceInEntryOrder) {
    if (!fixtures::HaveCommand("7zz")) GTEST_SKIP() << "7zz not installed";
    TempDir dir;
    dir.write("in/x/dup.txt", fixtures::TextBytes(300000, 9));
    dir.write("in/x/other.txt", "other from x");
    dir.write("in/y/dup.txt", "dup from y");
    dir.write("in/y/new.txt", "new from y");
    dir.write("in/z/dup.txt", "dup from z");
    std::string archive = dir.file("shared.7z");
    ASSERT_EQ(fixtures::Run("cd " + fixtures::Quote(dir.file("in")) + " && 7zz a -bd -y -m0=LZMA -mx=1 -ms=off " +
                            fixtures::Quote(archive) + " x y z >/dev/null"),
              0);
    const std::vector<std::pair<int32_t, std::string>> answers = {{kKebOverwriteYes, "-aoa"},
                                                                  {kKebOverwriteSkip, "-aos"}};
    for (const auto& [answer, switchOf7zz] : answers) {
        TempDir run;
        auto prepare = [&](const std::string& folder) {
            run.write(folder + "/dup.txt", "existing dup");
            run.write(folder + "/other.txt", "existing other");
        };
        prepare("theirs");
        ASSERT_EQ(fixtures::Run("7zz e -bd " + switchOf7zz + " -o" + fixtures::Quote(run.file("theirs")) + " " +
                                fixtures::Quote(archive) + " >/dev/null"),
                  0);
        // Without paths, only 7zz makes the archive's folders.
        std::map<std::string, std::string> theirs = TreeBelow(run.path() / "theirs");
        std::erase_if(theirs, [](const auto& item) { return item.first.back() == '/'; });
        for (unsigned threads : {1u, 2u}) {
            std::string out = "ours" + std::to_string(threads);
            prepare(out);
            g_overwriteAnswer = answer;
            g_callbackOnOtherThread = false;
            ASSERT_EQ(Extract(archive, run.file(out), threads, false, true), kKebErrorNone) << threads;
            EXPECT_FALSE(g_callbackOnOtherThread);
            EXPECT_EQ(TreeBelow(run.path() / out), theirs) << switchOf7zz << threads;
            EXPECT_EQ(g_overwrites,
                      (std::vector<std::string>{"x\\dup.txt -> dup.txt", "x\\other.txt -> other.txt"}))
                << switchOf7zz << threads;
        }
    }
    g_overwriteAnswer = kKebOverwriteYes;
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
