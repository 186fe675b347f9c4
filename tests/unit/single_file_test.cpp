// The single-file setup's portable pieces: the launcher's command line, an
// archive read from a window of a larger file (7zz's own archive behind other
// bytes), and the package reader's refusal of damaged packages.
#include <gtest/gtest.h>

#include <cstdlib>

#include "keb/Archive.h"
#include "keb/ArchiveError.h"
#include "keb/Extractor.h"
#include "launcher/LaunchCommand.h"
#include "support/ArchiveFixtures.h"
#include "support/TempDir.h"
#include "tools/authoring/CompoundFile.h"
#include "tools/authoring/PackageTimes.h"
#include "tools/authoring/ProjectSource.h"

namespace {

TEST(LaunchCommandTest, ArgumentsFollowTheProgramNameAsGiven) {
    const LaunchCommand quoted = ParseLaunchCommand("\"C:\\Down loads\\setup.exe\"  /s \"NAME=two  words\" X=1");
    EXPECT_EQ(quoted.arguments, "/s \"NAME=two  words\" X=1");
    EXPECT_TRUE(quoted.silent);
    const LaunchCommand plain = ParseLaunchCommand("setup.exe -S");
    EXPECT_EQ(plain.arguments, "-S");
    EXPECT_TRUE(plain.silent);
    EXPECT_EQ(ParseLaunchCommand("setup.exe").arguments, "");
    // "/s" inside a quoted value or as part of a word is no switch.
    EXPECT_FALSE(ParseLaunchCommand("setup.exe \"A= /s \" /sx B=/s").silent);
    EXPECT_EQ(EngineCommandLine("C:\\T\\orv-1\\setup.exe", "C:\\Down loads\\setup.exe", "/s X=1"),
              "\"C:\\T\\orv-1\\setup.exe\" /l=\"C:\\Down loads\\setup.exe\" /s X=1");
    EXPECT_EQ(EngineCommandLine("e.exe", "l.exe", ""), "\"e.exe\" /l=\"l.exe\"");
}

TEST(LaunchCommandTest, TheEngineIsTheOneProgramAtTheTop) {
    EXPECT_EQ(EngineEntry({"data", "data\\x.exe", "keb.dll", "Sample.EXE", "sample.msi"}), "Sample.EXE");
    EXPECT_EQ(EngineEntry({"a.exe", "b.exe"}), "");
    EXPECT_EQ(EngineEntry({"keb.dll", ".exe"}), "");
}

TEST(SingleFileProjectValueTest, YesOrNo) {
    const std::string head = "Setup = demo\nProductCode = {11111111-2222-3333-4444-555555555555}\n"
                             "RevisionCode = {21111111-2222-3333-4444-555555555555}\n";
    EXPECT_TRUE(ParseProject(head + "SingleFile = Yes\n[script]\n", "p.orv").singleFile);
    EXPECT_FALSE(ParseProject(head + "SingleFile = no\n[script]\n", "p.orv").singleFile);
    EXPECT_FALSE(ParseProject(head + "[script]\n", "p.orv").singleFile);
    EXPECT_THROW(ParseProject(head + "SingleFile = 1\n[script]\n", "p.orv"), SourceError);
}

TEST(ArchiveWindowTest, ReadsAnArchiveAppendedToOtherBytes) {
    if (!fixtures::HaveCommand("7zz")) GTEST_SKIP() << "7zz not installed";
    TempDir dir;
    dir.write("src/a.txt", "first file\n");
    dir.write("src/b.bin", fixtures::RandomBytes(70000, 7));
    ASSERT_EQ(fixtures::Run("cd " + fixtures::Quote(dir.file("src")) + " && 7zz a -bd -y ../a.7z . >/dev/null"), 0);
    const std::string archive = ReadWholeFile(dir.file("a.7z"));
    const std::string program(5000, 'P'), tail(7, '\0');
    const std::string joined = dir.write("joined.exe", program + archive + tail);

    keb::PasswordProvider password(nullptr, nullptr);
    const keb::Archive windowed(joined, keb::FileWindow{program.size(), archive.size() + tail.size()}, password);
    keb::ExtractRequest request;
    for (const auto& entry : windowed.database().entries) request.targets.push_back(entry.name);
    request.destination = dir.file("out");
    keb::ExtractionProgress progress(nullptr);
    keb::ExtractEntries(windowed, password, progress, request);
    EXPECT_EQ(ReadWholeFile(dir.file("out/a.txt")), "first file\n");
    EXPECT_EQ(ReadWholeFile(dir.file("out/b.bin")), fixtures::RandomBytes(70000, 7));

    // A window that cuts the archive short, or one past the end of the file, is no archive.
    EXPECT_THROW(keb::Archive(joined, keb::FileWindow{program.size(), archive.size() - 10}, password),
                 keb::ArchiveError);
    EXPECT_THROW(keb::Archive(joined, keb::FileWindow{joined.size() + 100, 50}, password), keb::ArchiveError);
}

TEST(PackageTimesTest, DamagedPackagesAreRefusedNeverOverrun) {
    if (!fixtures::HaveCommand("wixl")) GTEST_SKIP() << "wixl not installed";
    TempDir dir;
    dir.write("readme.txt", "installed\n");
    dir.write("p.wxs", R"(<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="{6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}" Name="T" Language="1033" Version="1.0.0" Manufacturer="M"
           UpgradeCode="{0A1B2C3D-4E5F-4061-8273-94A5B6C7D8E9}">
    <Package InstallerVersion="200" Compressed="yes" />
    <Media Id="1" Cabinet="t.cab" EmbedCab="yes" />
    <Directory Id="TARGETDIR" Name="SourceDir"><Directory Id="P" Name="P">
      <Component Id="C" Guid="{0A1B2C3D-4E5F-4061-8273-94A5B6C7D8EA}"><File Id="F" Source="readme.txt"/></Component>
    </Directory></Directory>
    <Feature Id="F" Level="1"><ComponentRef Id="C"/></Feature>
  </Product>
</Wix>)");
    ASSERT_EQ(fixtures::Run("cd " + fixtures::Quote(dir.path().string()) + " && wixl -o p.msi p.wxs"), 0);
    const std::string package = ReadWholeFile(dir.file("p.msi"));
    std::string copy = package;
    const CompoundFile file(copy);
    size_t streams = 0;
    for (const auto& stream : file.streams()) streams += stream.name == "\x05SummaryInformation";
    EXPECT_EQ(streams, 1u);

    // Cut short at every sector boundary, or with a header field turned to garbage: an error, never a crash.
    for (size_t length = 0; length < package.size(); length += 512) {
        const std::string cut = dir.write("cut.msi", package.substr(0, length));
        try {
            SetPackageTimes(cut, 0);
        } catch (const std::runtime_error&) {
        }
    }
    for (size_t at : {0x2C, 0x30, 0x3C, 0x44, 0x48, 0x4C}) {
        std::string damaged = package;
        for (size_t k = 0; k < 4; ++k) damaged[at + k] = '\x7F';
        const std::string path = dir.write("damaged.msi", damaged);
        try {
            SetPackageTimes(path, 0);
        } catch (const std::runtime_error&) {
        }
    }
}

}  // namespace
