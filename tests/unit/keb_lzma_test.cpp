// Raw LZMA, LZMA2, BCJ and Delta streams written by liblzma (through the xz
// tool) with unusual parameters, decoded by our coders and compared with the
// originals. (xz refuses lc + lp above 4; the archive tests cover those
// with 7zz.)
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "keb/ArchiveError.h"
#include "keb/BranchStreams.h"
#include "keb/LzmaStream.h"
#include "support/ArchiveFixtures.h"
#include "support/MemoryStream.h"

namespace {

std::string ReadAll(keb::InStream& in, size_t limit) {
    std::string out;
    std::vector<uint8_t> buffer(100003);
    while (out.size() < limit) {
        size_t n = in.Read(buffer.data(), std::min(buffer.size(), limit - out.size()));
        if (n == 0) break;
        out.append(reinterpret_cast<char*>(buffer.data()), n);
    }
    return out;
}

// Compresses data with xz in raw mode with the given filter chain.
std::string XzRaw(const TempDir& dir, const std::string& data, const std::string& filters) {
    std::string in = dir.write("plain.bin", data);
    std::string out = dir.file("packed.bin");
    EXPECT_EQ(fixtures::Run("xz --format=raw " + filters + " -c " + fixtures::Quote(in) + " > " + fixtures::Quote(out)), 0);
    return ReadWholeFile(out);
}

std::string Sample() {
    return fixtures::TextBytes(4000, 11) + fixtures::RandomBytes(30000, 12) + std::string(70000, 'z') +
           fixtures::CodeBytes(60000, 13) + fixtures::TextBytes(2000, 11);
}

std::vector<uint8_t> LzmaProperties(unsigned lc, unsigned lp, unsigned pb, uint32_t dictionary) {
    return {uint8_t((pb * 5 + lp) * 9 + lc), uint8_t(dictionary), uint8_t(dictionary >> 8), uint8_t(dictionary >> 16),
            uint8_t(dictionary >> 24)};
}

class RawStreams : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveCommand("xz")) GTEST_SKIP() << "xz not installed";
    }
    TempDir dir_;
    std::string data_ = Sample();
};

TEST_F(RawStreams, LzmaWithEveryCornerOfLcLpPbAndDictionary) {
    struct Case {
        unsigned lc, lp, pb;
        uint32_t dictionary;
    };
    for (Case c : {Case{3, 0, 2, 1u << 20}, Case{0, 0, 0, 4096}, Case{4, 0, 0, 65536}, Case{0, 4, 4, 1u << 16}, Case{4, 0, 4, 1u << 16},
                   Case{2, 2, 1, 12345 * 8}, Case{1, 2, 3, 3u << 20}}) {
        std::string packed = XzRaw(dir_, data_,
                                   "--lzma1=lc=" + std::to_string(c.lc) + ",lp=" + std::to_string(c.lp) +
                                       ",pb=" + std::to_string(c.pb) + ",dict=" + std::to_string(c.dictionary));
        MemoryStream in(packed);
        keb::LzmaStream lzma(in, LzmaProperties(c.lc, c.lp, c.pb, c.dictionary), data_.size());
        EXPECT_EQ(ReadAll(lzma, data_.size() + 1), data_) << c.lc << c.lp << c.pb << " " << c.dictionary;
    }
}

TEST_F(RawStreams, LzmaEndMarkerBeforeTheDeclaredSizeIsCorruption) {
    std::string packed = XzRaw(dir_, data_, "--lzma1=preset=1");
    MemoryStream in(packed);
    keb::LzmaStream lzma(in, LzmaProperties(3, 0, 2, 1u << 20), data_.size() + 100);
    EXPECT_THROW(ReadAll(lzma, data_.size() + 100), keb::ArchiveError);
}

TEST_F(RawStreams, Lzma2WithPresetsAndSmallDictionaries) {
    for (const char* options : {"--lzma2=preset=0", "--lzma2=preset=9e", "--lzma2=dict=4KiB,lc=0,lp=4,pb=0",
                                "--lzma2=dict=64KiB,lc=4,lp=0,pb=4,mode=fast"}) {
        std::string packed = XzRaw(dir_, data_, options);
        MemoryStream in(packed);
        keb::Lzma2Stream lzma2(in, {uint8_t(18)}, data_.size());
        EXPECT_EQ(ReadAll(lzma2, data_.size() + 1), data_) << options;
    }
}

TEST_F(RawStreams, Lzma2StoredChunksOfIncompressibleData) {
    std::string random = fixtures::RandomBytes(300000, 5);
    std::string packed = XzRaw(dir_, random, "--lzma2=preset=6");
    MemoryStream in(packed);
    keb::Lzma2Stream lzma2(in, {uint8_t(20)}, random.size());
    EXPECT_EQ(ReadAll(lzma2, random.size() + 1), random);
}

TEST_F(RawStreams, BcjAndDeltaBelowLzma2) {
    {
        std::string packed = XzRaw(dir_, data_, "--x86 --lzma2=preset=6");
        MemoryStream in(packed);
        keb::Lzma2Stream lzma2(in, {uint8_t(20)}, data_.size());
        keb::BcjX86Stream bcj(lzma2);
        EXPECT_EQ(ReadAll(bcj, data_.size() + 1), data_);
    }
    for (unsigned distance : {1u, 4u, 7u, 256u}) {
        std::string packed = XzRaw(dir_, data_, "--delta=dist=" + std::to_string(distance) + " --lzma2=preset=1");
        MemoryStream in(packed);
        keb::Lzma2Stream lzma2(in, {uint8_t(20)}, data_.size());
        keb::DeltaStream delta(lzma2, {uint8_t(distance - 1)});
        EXPECT_EQ(ReadAll(delta, data_.size() + 1), data_) << distance;
    }
}

TEST_F(RawStreams, TruncatedStreamsThrowInsteadOfInventingData) {
    std::string packed = XzRaw(dir_, data_, "--lzma2=preset=6");
    for (size_t cut : {size_t(0), size_t(3), packed.size() / 2, packed.size() - 2}) {
        MemoryStream in(packed.substr(0, cut));
        keb::Lzma2Stream lzma2(in, {uint8_t(20)}, data_.size());
        EXPECT_THROW(ReadAll(lzma2, data_.size()), keb::ArchiveError) << cut;
    }
}

}  // namespace
