// The branch and swap filters: raw streams decoded by liblzma (through the
// xz tool) against ours on instruction-shaped data, odd lengths, start
// offsets and block splits; and archives 7zz writes with every filter,
// alone, after Delta, solid or not, and encrypted, extracted by
// `orvanta archive extract` and compared byte for byte with `7zz x`.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "keb/BranchStreams.h"
#include "support/ArchiveFixtures.h"
#include "support/InstructionBytes.h"
#include "support/MemoryStream.h"

namespace {

using fixtures::Architecture;

std::string ReadAll(keb::InStream& in) {
    std::string out;
    std::vector<uint8_t> buffer(4099);  // odd reads across the filter's blocks
    for (size_t n; (n = in.Read(buffer.data(), buffer.size())) > 0;) out.append(reinterpret_cast<char*>(buffer.data()), n);
    return out;
}

std::vector<uint8_t> StartProperty(uint32_t start) {
    if (start == 0) return {};
    return {uint8_t(start), uint8_t(start >> 8), uint8_t(start >> 16), uint8_t(start >> 24)};
}

struct RawFilter {
    const char* xzName;
    Architecture architecture;
    keb::BranchDecoder decoder;
};

const RawFilter kRawFilters[] = {
    {"arm", Architecture::Arm, keb::DecodeArm},         {"armthumb", Architecture::ArmThumb, keb::DecodeArmThumb},
    {"arm64", Architecture::Arm64, keb::DecodeArm64},   {"powerpc", Architecture::PowerPc, keb::DecodePowerPc},
    {"sparc", Architecture::Sparc, keb::DecodeSparc},   {"ia64", Architecture::Ia64, keb::DecodeIa64},
};

class RawBranchFilter : public ::testing::TestWithParam<RawFilter> {
protected:
    void SetUp() override {
        if (!fixtures::HaveCommand("xz")) GTEST_SKIP() << "xz not installed";
    }

    // liblzma's decoding of `filtered` as the filter's output at the start offset.
    std::string LiblzmaDecoded(const std::string& filtered, uint32_t start) {
        std::string plain = dir_.write("filtered.bin", filtered);
        std::string packed = dir_.file("packed.bin"), decoded = dir_.file("decoded.bin");
        EXPECT_EQ(fixtures::Run("xz --format=raw --lzma2=preset=0 -c " + fixtures::Quote(plain) + " > " +
                                fixtures::Quote(packed) + " && xz --format=raw -d --" + GetParam().xzName +
                                "=start=" + std::to_string(start) + " --lzma2=preset=0 -c " + fixtures::Quote(packed) +
                                " > " + fixtures::Quote(decoded)),
                  0);
        return ReadWholeFile(decoded);
    }

    TempDir dir_;
};

TEST_P(RawBranchFilter, DecodesAsLiblzmaAtOddLengthsAndStartOffsets) {
    const RawFilter& f = GetParam();
    for (size_t size : {size_t(0), size_t(3), size_t(17), size_t(65536 + 7), size_t(200001)}) {
        for (uint32_t start : {0u, 4096u, 0xFFFFFF00u}) {
            std::string filtered = fixtures::InstructionBytes(f.architecture, size, uint32_t(size) + start);
            std::string expected = LiblzmaDecoded(filtered, start);
            ASSERT_EQ(expected.size(), filtered.size());
            if (size > 1000) {
                EXPECT_NE(expected, filtered) << "the data gives the filter nothing to convert";
            }
            MemoryStream in(filtered, 9973);
            keb::BranchStream stream(in, f.decoder, StartProperty(start));
            EXPECT_EQ(ReadAll(stream), expected) << f.xzName << " size " << size << " start " << start;
        }
    }
}

// Whatever a block leaves unconverted, the next block starts with: the
// result cannot depend on where the blocks end.
TEST_P(RawBranchFilter, BlockSplitsDoNotChangeTheResult) {
    const RawFilter& f = GetParam();
    std::string filtered = fixtures::InstructionBytes(f.architecture, 40003, 5);
    std::string expected = LiblzmaDecoded(filtered, 0);
    for (size_t split : {size_t(1), size_t(2), size_t(5), size_t(15), size_t(4097), size_t(40000)}) {
        std::string data = filtered;
        auto* bytes = reinterpret_cast<uint8_t*>(data.data());
        size_t done = f.decoder(bytes, split, 0);
        ASSERT_LE(done, split);
        done += f.decoder(bytes + done, data.size() - done, uint32_t(done));
        ASSERT_LE(done, data.size());
        EXPECT_EQ(data, expected) << f.xzName << " split at " << split;
    }
}

// Reads as large as the filter's buffer or larger are converted in the
// reader's buffer; mixed with small ones, the tail a large read leaves must
// reach the next read of either kind.
TEST_P(RawBranchFilter, LargeAndSmallReadsGiveTheSameResult) {
    const RawFilter& f = GetParam();
    std::string filtered = fixtures::InstructionBytes(f.architecture, 400009, 7);
    std::string expected = LiblzmaDecoded(filtered, 0);
    MemoryStream in(filtered, 9973);
    keb::BranchStream stream(in, f.decoder, {});
    std::string out;
    std::vector<uint8_t> buffer(200003);
    for (size_t k = 0, n; (n = stream.Read(buffer.data(), k % 3 == 2 ? 4099 : 65536 + 7 * k)) > 0; ++k)
        out.append(reinterpret_cast<char*>(buffer.data()), n);
    EXPECT_EQ(out, expected) << f.xzName;
}

INSTANTIATE_TEST_SUITE_P(Architectures, RawBranchFilter, ::testing::ValuesIn(kRawFilters),
                         [](const auto& info) { return std::string(info.param.xzName); });

TEST(SwapStream, ReversesWholeWordsAndLeavesTheTail) {
    for (unsigned width : {2u, 4u}) {
        MemoryStream in(std::string("abcdefghijklmnopq", 17));
        keb::SwapStream swap(in, width);
        EXPECT_EQ(ReadAll(swap), width == 2 ? "badcfehgjilknmpoq" : "dcbahgfelkjiponmq");
    }
}

// Large reads convert in the reader's buffer: the word cut at each read's
// end is swapped whole at the start of the next.
TEST(SwapStream, LargeReadsSwapWordsAcrossTheirEnds) {
    std::string data;
    for (uint32_t i = 0; i < 100003; ++i) data += char(i * 7 + (i >> 8));
    for (unsigned width : {2u, 4u}) {
        std::string expected = data;
        for (size_t i = 0; i + width <= expected.size(); i += width) std::reverse(&expected[i], &expected[i] + width);
        MemoryStream in(data, 65537);
        keb::SwapStream swap(in, width);
        std::string out;
        std::vector<uint8_t> buffer(70001);
        for (size_t n; (n = swap.Read(buffer.data(), buffer.size())) > 0;) out.append(reinterpret_cast<char*>(buffer.data()), n);
        EXPECT_EQ(out, expected) << "width " << width;
    }
}

TEST(BranchStream, RefusesPropertiesThatAreNoStartOffset) {
    MemoryStream in("");
    EXPECT_THROW(keb::BranchStream(in, keb::DecodeArm64, {1, 2}), keb::ArchiveError);
}

// One 7z method chain written by 7zz.
struct FilterArchive {
    std::string options;
    Architecture architecture;
};

class FilterArchiveFrom7zz : public ::testing::TestWithParam<FilterArchive> {};

TEST_P(FilterArchiveFrom7zz, OrvantaExtractsWhat7zzExtracts) {
    if (!fixtures::HaveCommand("7zz")) GTEST_SKIP() << "7zz not installed";
    const FilterArchive& a = GetParam();
    TempDir dir;
    dir.write("src/code.bin", fixtures::InstructionBytes(a.architecture, 300001, 1));
    dir.write("src/more/code2.bin", fixtures::InstructionBytes(a.architecture, 65539, 2));
    dir.write("src/tail.bin", fixtures::InstructionBytes(a.architecture, 7, 3));
    dir.write("src/notes.txt", fixtures::TextBytes(500, 4));
    std::string archive = dir.file("filtered.7z");
    ASSERT_EQ(fixtures::Run("cd " + fixtures::Quote(dir.file("src")) + " && 7zz a -bd -y " + a.options + " " +
                            fixtures::Quote(archive) + " * >/dev/null"),
              0);
    ASSERT_EQ(fixtures::Run("7zz x -bd -y -pSecret -o" + fixtures::Quote(dir.file("reference")) + " " +
                            fixtures::Quote(archive) + " >/dev/null"),
              0);

    const char* buildDir = std::getenv("ORVANTA_BUILD_DIR");
    std::string orvanta = std::string(buildDir ? buildDir : ".") + "/orvanta";
    ASSERT_EQ(fixtures::Run(fixtures::Quote(orvanta) + " archive extract " + fixtures::Quote(archive) + " " +
                            fixtures::Quote(dir.file("ours")) + " -pSecret >/dev/null"),
              0);
    auto reference = fixtures::FilesBelow(dir.path() / "reference");
    EXPECT_EQ(fixtures::FilesBelow(dir.path() / "ours"), reference);
    EXPECT_EQ(reference.size(), 4u);
    fixtures::ExpectOnlyCompleteFiles(dir.path() / "ours", dir.path() / "reference");
}

// Each filter after LZMA2 (7zz's -mf), solid; before LZMA, one block per
// file; under Delta; and encrypted with its headers.
std::vector<FilterArchive> FilterArchives() {
    struct Method {
        const char* name;
        Architecture architecture;
    };
    const Method methods[] = {{"ARM64", Architecture::Arm64},   {"RISCV", Architecture::RiscV},
                              {"ARM", Architecture::Arm},       {"ARMT", Architecture::ArmThumb},
                              {"PPC", Architecture::PowerPc},   {"SPARC", Architecture::Sparc},
                              {"IA64", Architecture::Ia64},     {"Swap2", Architecture::PowerPc},
                              {"Swap4", Architecture::PowerPc}};
    std::vector<FilterArchive> archives;
    for (const Method& m : methods) {
        std::string name = m.name;
        archives.push_back({"-m0=" + name + " -m1=LZMA2", m.architecture});
        archives.push_back({"-m0=" + name + " -m1=LZMA -ms=off", m.architecture});
        archives.push_back({"-m0=" + name + " -m1=Delta:4 -m2=LZMA", m.architecture});
        archives.push_back({"-m0=" + name + " -m1=LZMA2 -ms=off -mhe=on -pSecret", m.architecture});
    }
    archives.push_back({"-mf=ARM64:8192", Architecture::Arm64});
    archives.push_back({"-mf=RISCV:1048578", Architecture::RiscV});
    archives.push_back({"-mf=ARM64", Architecture::Arm64});
    return archives;
}

INSTANTIATE_TEST_SUITE_P(Methods, FilterArchiveFrom7zz, ::testing::ValuesIn(FilterArchives()), [](const auto& info) {
    std::string name;
    for (char c : info.param.options) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
});

}  // namespace
