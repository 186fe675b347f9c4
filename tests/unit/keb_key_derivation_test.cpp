// 7zAES keys: folders with salts of their own, the bound on derivation work
// per archive and stopping a derivation through the progress callback.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "keb/LastError.h"
#include "media/uSevenZipAPI.h"
#include "support/ArchiveFixtures.h"

namespace fs = std::filesystem;

namespace {

// No archiver at hand writes a salt or a cycle count of its choosing, so
// this writes the container itself: one file per folder, each folder a lone
// 7zAES coder with its own salt. With "real" the key comes from py7zr's
// derivation, so 7zz can check the result; otherwise the data is encrypted
// with a key that does not match, for archives refused before any key is
// derived. Arguments: archive, password, cycle count, folder count, real|fake.
constexpr const char* kSaltedArchiveWriter = R"PY(
import random, struct, sys, zlib
from Cryptodome.Cipher import AES
from py7zr.helpers import calculate_key

path, password, cycles, count, real = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5] == "real"
rng = random.Random(cycles * 1000 + count)

def number(n):
    for size in range(8):
        if n < 1 << (7 * (size + 1)):
            return bytes([(0xFF00 >> size) & 0xFF | (n >> (8 * size))]) + n.to_bytes(8, "little")[:size]
    return b"\xFF" + n.to_bytes(8, "little")

packed, folders, sizes, crcs, names = b"", b"", [], [], b""
for i in range(count):
    data = b"folder %d of %d\r\n" % (i, count) * (i + 3)
    salt, iv = rng.randbytes(16), rng.randbytes(16)
    key = calculate_key(password.encode("utf-16le"), cycles, salt, "sha256") if real else bytes(32)
    encrypted = AES.new(key, AES.MODE_CBC, iv).encrypt(data + bytes(-len(data) % 16))
    properties = bytes([0xC0 | cycles, 0xFF]) + salt + iv
    folders += number(1) + b"\x24\x06\xF1\x07\x01" + number(len(properties)) + properties
    packed += encrypted
    sizes.append((len(encrypted), len(data)))
    crcs.append(zlib.crc32(data))
    names += ("f%d.txt" % i).encode("utf-16le") + b"\0\0"

header = b"\x01\x04\x06" + number(0) + number(count) + b"\x09" + b"".join(number(p) for p, _ in sizes) + b"\x00"
header += b"\x07\x0B" + number(count) + b"\x00" + folders + b"\x0C" + b"".join(number(u) for _, u in sizes) + b"\x00"
header += b"\x08\x0A\x01" + b"".join(struct.pack("<I", c) for c in crcs) + b"\x00\x00"
header += b"\x05" + number(count) + b"\x11" + number(len(names) + 1) + b"\x00" + names + b"\x00\x00"
start = struct.pack("<QQI", len(packed), len(header), zlib.crc32(header))
with open(path, "wb") as f:
    f.write(b"7z\xBC\xAF\x27\x1C\x00\x04" + struct.pack("<I", zlib.crc32(start)) + start + packed + header)
)PY";

class KeyDerivation : public ::testing::Test {
protected:
    std::string SaltedArchive(unsigned cycles, int folders, bool realKeys) {
        std::string script = dir_.write("salted.py", kSaltedArchiveWriter);
        std::string archive = dir_.file("salted" + std::to_string(cycles) + ".7z");
        EXPECT_EQ(fixtures::Run("/usr/bin/python3 " + fixtures::Quote(script) + " " + fixtures::Quote(archive) +
                                " Secret " + std::to_string(cycles) + " " + std::to_string(folders) +
                                (realKeys ? " real" : " fake")),
                  0);
        return archive;
    }
    std::string SevenZip(const std::string& options) {
        std::string archive = dir_.file("7zz.7z");
        EXPECT_EQ(fixtures::Run("cd " + fixtures::Quote(dir_.file("in")) + " && 7zz a -bd -y -pSecret " + options +
                                " " + fixtures::Quote(archive) + " . >/dev/null"),
                  0);
        return archive;
    }
    TempDir dir_;
    std::string error_;
};

void ExpectSameFiles(const fs::path& ours, const fs::path& theirs) {
    auto names = fixtures::FilesBelow(theirs);
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(fixtures::FilesBelow(ours), names);
    for (const auto& name : names)
        EXPECT_EQ(ReadWholeFile((ours / name).string()), ReadWholeFile((theirs / name).string())) << name;
}

TEST_F(KeyDerivation, FoldersWithSaltsOfTheirOwnDecodeAs7zzDoes) {
    if (!fixtures::HavePy7zr() || !fixtures::HaveCommand("7zz")) GTEST_SKIP() << "py7zr or 7zz not installed";
    std::string archive = SaltedArchive(16, 3, true);
    ASSERT_EQ(fixtures::Run("7zz x -bd -y -pSecret -o" + fixtures::Quote(dir_.file("theirs")) + " " +
                            fixtures::Quote(archive) + " </dev/null >/dev/null"),
              0);
    ASSERT_TRUE(ExtractArchiveFiles(archive, "Secret", dir_.file("ours"), {}, nullptr, error_, true, true)) << error_;
    ExpectSameFiles(dir_.path() / "ours", dir_.path() / "theirs");
}

TEST_F(KeyDerivation, SaltsCostingMoreThanFourKeysAtTheHighestCycleCountAreRefusedUnopened) {
    if (!fixtures::HavePy7zr()) GTEST_SKIP() << "py7zr not installed";
    // Five salts at 2^24 rounds: about five seconds of hashing, refused before any of it.
    std::string archive = SaltedArchive(24, 5, false);
    std::vector<std::string> names;
    EXPECT_FALSE(ListArchive(archive, "Secret", error_, names));
    EXPECT_EQ(error_, "The archive cannot be opened: unsupported archive or incorrect password");
    std::vector<std::string> last{"f4.txt"};
    EXPECT_FALSE(ExtractArchiveFiles(archive, "Secret", dir_.file("out"), {}, &last, error_, true, true));
    EXPECT_EQ(error_, "#1003");
    EXPECT_NE(keb::LastArchiveErrorText().find("derivation"), std::string::npos) << keb::LastArchiveErrorText();
}

TEST_F(KeyDerivation, ManyFoldersSharingOneKeyAreNotHeldAgainstTheArchive) {
    if (!fixtures::HaveCommand("7zz")) GTEST_SKIP() << "7zz not installed";
    // 200 folders at 7-Zip's 2^19 rounds would exceed the bound were each counted.
    for (int i = 0; i < 200; ++i) dir_.write("in/f" + std::to_string(i) + ".txt", "file " + std::to_string(i));
    std::string archive = SevenZip("-ms=off -mhe=on");
    ASSERT_TRUE(ExtractArchiveFiles(archive, "Secret", dir_.file("out"), {}, nullptr, error_, true, true)) << error_;
    ExpectSameFiles(dir_.path() / "out", dir_.path() / "in");
}

struct FirstProgress {
    int calls = 0;
    uint64_t done = 0;
};
FirstProgress firstProgress;

int32_t KEB_CALL StopAtFirstReport(const char*, uint32_t doneLow, uint32_t doneHigh, uint32_t, uint32_t) {
    if (firstProgress.calls++ == 0) firstProgress.done = uint64_t(doneHigh) << 32 | doneLow;
    return 0;
}

TEST_F(KeyDerivation, TheProgressCallbackCanStopADerivationBeforeAnyDataIsDecoded) {
    if (!fixtures::HaveCommand("7zz")) GTEST_SKIP() << "7zz not installed";
    dir_.write("in/data.txt", fixtures::TextBytes(2000, 5));
    // The key of the data, and the key of encrypted headers.
    for (const char* options : {"", "-mhe=on"}) {
        std::string archive = SevenZip(options);
        firstProgress = {};
        ArchiveCallbacks callbacks;
        callbacks.progress = &StopAtFirstReport;
        EXPECT_FALSE(ExtractArchiveFiles(archive, "Secret", dir_.file("out"), callbacks, nullptr, error_, true, true));
        EXPECT_EQ(error_, "#1007") << options;
        EXPECT_EQ(firstProgress.calls, 1) << options;
        EXPECT_EQ(firstProgress.done, 0u) << options;
        EXPECT_TRUE(fixtures::FilesBelow(dir_.path() / "out").empty()) << options;
        fs::remove(archive);
    }
}

}  // namespace
