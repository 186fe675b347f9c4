// Differential tests: archives written by 7zz, py7zr and bsdtar with every
// method and combination we decode, extracted through the engine's front end
// and compared byte for byte with the originals.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "media/uSevenZipAPI.h"
#include "support/ArchiveFixtures.h"

namespace {

enum class Tool { SevenZip, Py7zr, Bsdtar };

struct Writer {
    const char* name;
    Tool tool;
    std::string options;  // 7zz switches, py7zr filter list, or bsdtar options
    std::string password;
    bool encryptHeaders = false;
};

void PrintTo(const Writer& w, std::ostream* os) { *os << w.name; }

std::string WriteCommand(const Writer& w, const std::string& src, const std::string& archive) {
    switch (w.tool) {
        case Tool::SevenZip:
            return "cd " + fixtures::Quote(src) + " && 7zz a -bd -y " + w.options +
                   (w.password.empty() ? "" : " -p" + fixtures::Quote(w.password)) + (w.encryptHeaders ? " -mhe=on" : "") + " " +
                   fixtures::Quote(archive) + " * >/dev/null";
        case Tool::Py7zr:
            return "cd " + fixtures::Quote(src) +
                   " && /usr/bin/python3 -c 'import os, sys, py7zr\n"
                   "from py7zr import *\n"
                   "kw = dict(filters=" + w.options + ")\n"
                   "if sys.argv[2]: kw.update(password=sys.argv[2], header_encryption=sys.argv[3] == \"1\")\n"
                   "with py7zr.SevenZipFile(sys.argv[1], \"w\", **kw) as z:\n"
                   "    for n in sorted(os.listdir(\".\")): z.writeall(n, n)\n' " +
                   fixtures::Quote(archive) + " " + fixtures::Quote(w.password) + " " +
                   (w.encryptHeaders ? "1" : "0") + " >/dev/null";
        case Tool::Bsdtar:
            return "cd " + fixtures::Quote(src) + " && bsdtar --format 7zip " + w.options + " -cf " +
                   fixtures::Quote(archive) + " * >/dev/null";
    }
    return {};
}

bool ToolAvailable(Tool tool) {
    switch (tool) {
        case Tool::SevenZip: return fixtures::HaveCommand("7zz");
        case Tool::Py7zr: return fixtures::HavePy7zr();
        case Tool::Bsdtar: return fixtures::HaveCommand("bsdtar");
    }
    return false;
}

class ArchiveFromTool : public ::testing::TestWithParam<Writer> {};

TEST_P(ArchiveFromTool, ExtractsEveryByteOfTheOriginals) {
    const Writer& w = GetParam();
    if (!ToolAvailable(w.tool)) GTEST_SKIP() << "archiver not installed";
    TempDir dir;
    auto tree = fixtures::SampleTree();
    fixtures::WriteTree(dir.path() / "src", tree);
    std::string archive = dir.file("sample.7z");
    ASSERT_EQ(fixtures::Run(WriteCommand(w, dir.file("src"), archive)), 0);

    std::vector<std::string> names;
    std::string error;
    ASSERT_TRUE(ListArchive(archive, w.password, error, names)) << error;
    EXPECT_EQ(names.size(), tree.size() + 2);  // plus the folders "docs" and "docs\deeper"

    ASSERT_TRUE(ExtractArchiveFiles(archive, w.password, dir.file("out"), {}, nullptr, error, true, true)) << error;
    fixtures::ExpectTreeExtracted(dir.path() / "out", tree);

    // Testing checks the same data and writes nothing.
    ASSERT_TRUE(ExtractArchiveFiles(archive, w.password, "", {}, nullptr, error, true, true)) << error;
}

const Writer kWriters[] = {
    {"7zz_lzma2_solid", Tool::SevenZip, "-mx=5", "", false},
    {"7zz_lzma2_ultra", Tool::SevenZip, "-mx=9", "", false},
    {"7zz_lzma_plain", Tool::SevenZip, "-m0=LZMA -mf=off", "", false},
    {"7zz_copy", Tool::SevenZip, "-m0=Copy -mf=off", "", false},
    {"7zz_not_solid", Tool::SevenZip, "-ms=off", "", false},
    {"7zz_two_files_per_block", Tool::SevenZip, "-ms=2f", "", false},
    {"7zz_plain_header", Tool::SevenZip, "-mhc=off", "", false},
    {"7zz_lzma_lc0_lp2_pb0", Tool::SevenZip, "-m0=LZMA:lc=0:lp=2:pb=0 -mf=off", "", false},
    {"7zz_lzma_lc8_lp4_pb4", Tool::SevenZip, "-m0=LZMA:lc=8:lp=4:pb=4 -mf=off", "", false},
    {"7zz_lzma_tiny_dictionary", Tool::SevenZip, "-m0=LZMA:d=4k -mf=off", "", false},
    {"7zz_lzma_odd_dictionary", Tool::SevenZip, "-m0=LZMA:d=3m:fb=273 -mf=off", "", false},
    {"7zz_lzma2_lc1_lp3_pb4", Tool::SevenZip, "-m0=LZMA2:lc=1:lp=3:pb=4:d=64k -mf=off", "", false},
    {"7zz_bcj_lzma", Tool::SevenZip, "-m0=BCJ -m1=LZMA", "", false},
    {"7zz_bcj2", Tool::SevenZip, "-m0=BCJ2 -m1=LZMA -m2=LZMA -m3=LZMA -mb0s0:1 -mb0s1:2 -mb0s2:3", "", false},
    {"7zz_bcj2_default", Tool::SevenZip, "-mf=BCJ2", "", false},
    {"7zz_delta_lzma2", Tool::SevenZip, "-mf=Delta:4", "", false},
    {"7zz_encrypted_data", Tool::SevenZip, "-mx=3", "Secret", false},
    {"7zz_encrypted_headers", Tool::SevenZip, "-mx=3", "Secret", true},
    {"7zz_encrypted_not_solid", Tool::SevenZip, "-ms=off -mhe=on", "Secret", true},
    {"7zz_encrypted_copy", Tool::SevenZip, "-m0=Copy -mf=off", "pass w0rd", true},
    {"py7zr_lzma2", Tool::Py7zr, "[{\"id\": FILTER_LZMA2, \"preset\": 7}]", "", false},
    {"py7zr_lzma", Tool::Py7zr, "[{\"id\": FILTER_LZMA}]", "", false},
    {"py7zr_bcj_lzma2", Tool::Py7zr, "[{\"id\": FILTER_X86}, {\"id\": FILTER_LZMA2}]", "", false},
    {"py7zr_delta_lzma2", Tool::Py7zr, "[{\"id\": FILTER_DELTA, \"dist\": 3}, {\"id\": FILTER_LZMA2}]", "", false},
    {"py7zr_copy", Tool::Py7zr, "[{\"id\": FILTER_COPY}]", "", false},
    {"py7zr_encrypted", Tool::Py7zr, "[{\"id\": FILTER_LZMA2}, {\"id\": FILTER_CRYPTO_AES256_SHA256}]", "Secret", false},
    {"py7zr_encrypted_headers", Tool::Py7zr, "[{\"id\": FILTER_LZMA2}, {\"id\": FILTER_CRYPTO_AES256_SHA256}]",
     "Secret", true},
    {"bsdtar_lzma2", Tool::Bsdtar, "--options 7zip:compression=lzma2", "", false},
    {"bsdtar_lzma1", Tool::Bsdtar, "--options 7zip:compression=lzma1", "", false},
    {"bsdtar_store", Tool::Bsdtar, "--options 7zip:compression=store", "", false},
};

INSTANTIATE_TEST_SUITE_P(Writers, ArchiveFromTool, ::testing::ValuesIn(kWriters),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
