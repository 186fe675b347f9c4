// The resources orvanta build writes into a setup's engine: the resource
// section layout, the image editing around it, and the values that go in.
// Wine's loader and objdump read the results back in tests/e2e/trust_e2e.py.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/PeImage.h"
#include "support/ScriptBuilder.h"
#include "support/TempDir.h"
#include "tools/authoring/ExecutableImage.h"
#include "tools/authoring/IconFile.h"
#include "tools/authoring/LittleEndian.h"
#include "tools/authoring/SetupResources.h"
#include "tools/authoring/VersionResource.h"

namespace {

ResourceTree MixedTree() {
    ResourceTree tree;
    tree[kManifestResource][uint16_t(1)][kLanguageEnglishUS] = {"<assembly/>", 0};
    tree[kVersionResource][uint16_t(1)][0x0407] = {"version bytes", 1252};
    tree[kVersionResource][uint16_t(1)][kLanguageEnglishUS] = {std::string("odd\0length", 10), 0};
    tree[u"FORMS"][u"WELCOME"][0] = {"form", 0};
    tree[u"FORMS"][uint16_t(7)][0] = {"", 0};
    return tree;
}

// The engine of a Windows build, when one was built.
std::string BuiltEngine() {
    const char* source = std::getenv("ORVANTA_SOURCE_DIR");
    for (const char* build : {"win32", "win64"}) {
        const std::string engine = ReadWholeFile(std::string(source ? source : ".") + "/build/" + build + "/kebstub.exe");
        if (!engine.empty()) return engine;
    }
    return {};
}

uint32_t SectionCount(const std::string& image) { return ReadLE(image, kPeSignatureOffset + 6, 2); }
uint32_t OptionalField(const std::string& image, uint32_t at) { return ReadLE(image, kPeSignatureOffset + 24 + at, 4); }

}  // namespace

TEST(ResourceSectionTest, TreeSurvivesLayoutWithTextsBeforeNumbers) {
    const ResourceTree tree = MixedTree();
    const std::string section = WriteResourceSection(tree, 0x5000);
    EXPECT_EQ(ParseResourceSection(section, 0x5000), tree);
    // Windows searches each directory: text names first, then the numbers ascending.
    EXPECT_EQ(ReadLE(section, 12, 2), 1u);
    EXPECT_EQ(ReadLE(section, 14, 2), 2u);
    EXPECT_EQ(ReadLE(section, 16 + 8, 4), kVersionResource);
    EXPECT_EQ(ReadLE(section, 16 + 16, 4), kManifestResource);
    // Data entries hold addresses: the tree laid out at another address reads back the same.
    const ResourceTree moved = ParseResourceSection(WriteResourceSection(tree, 0x9000), 0x9000);
    EXPECT_EQ(moved, tree);
}

TEST(ResourceSectionTest, MalformedSectionsAreRefused) {
    const std::string section = WriteResourceSection(MixedTree(), 0x5000);
    EXPECT_THROW(ParseResourceSection(section.substr(0, 40), 0x5000), std::runtime_error);
    EXPECT_THROW(ParseResourceSection(section, 0x6000), std::runtime_error);  // data before the section
    std::string looped = section;
    WriteLE(looped, 16 + 4, 0x80000000, 4);  // a type entry whose names are the root again
    EXPECT_THROW(ParseResourceSection(looped, 0x5000), std::runtime_error);
}

TEST(ExecutableImageTest, ResourcesGoIntoANewLastSectionThatTheNextEditReplaces) {
    const std::string bare = PeImage({{0x200, 0x200}});
    ExecutableImage image(bare);
    EXPECT_TRUE(image.Resources().empty());
    image.SetResources(MixedTree());
    const std::string once = image.bytes();
    EXPECT_EQ(SectionCount(once), 2u);
    EXPECT_EQ(once.size() % 0x200, 0u);
    EXPECT_EQ(ExecutableImage(once).Resources(), MixedTree());
    EXPECT_EQ(OptionalField(once, 96 + 2 * 8), 0x2000u);  // the resource directory: the new section's address
    EXPECT_EQ(OptionalField(once, 56), 0x3000u);          // SizeOfImage up to the new section's aligned end

    ExecutableImage again(once);
    ResourceTree smaller;
    smaller[kManifestResource][uint16_t(1)][kLanguageEnglishUS] = {"<assembly/>", 0};
    again.SetResources(smaller);
    EXPECT_EQ(SectionCount(again.bytes()), 2u) << "the old resource section, last, is dropped";
    EXPECT_EQ(ExecutableImage(again.bytes()).Resources(), smaller);
}

namespace {

// An image whose resources (at 0x1000, raw 0x200) other sections follow.
std::string ImageWithResourcesFirst(std::vector<PeSection> sections, const ResourceTree& resources) {
    std::string bytes = PeImage(sections, false, sections.back().pointer + sections.back().size);
    const std::string section = WriteResourceSection(resources, 0x1000);
    bytes.replace(0x200, section.size(), section);
    WriteLE(bytes, kPeSignatureOffset + 24 + 96 + 2 * 8, 0x1000, 4);
    WriteLE(bytes, kPeSignatureOffset + 24 + 96 + 2 * 8 + 4, static_cast<uint32_t>(section.size()), 4);
    return bytes;
}

}  // namespace

TEST(ExecutableImageTest, AResourceSectionWithOtherDataAfterItStaysInPlace) {
    ResourceTree old;
    old[kVersionResource][uint16_t(1)][0] = {"old", 0};
    const std::string bytes = ImageWithResourcesFirst({{0x200, 0x200}, {0x400, 0x200}}, old);
    ExecutableImage image(bytes);
    EXPECT_EQ(image.Resources(), old);
    image.SetResources(MixedTree());
    EXPECT_EQ(SectionCount(image.bytes()), 3u);
    EXPECT_EQ(image.bytes().substr(0x200, 0x400), bytes.substr(0x200)) << "the sections stay as they were";
    EXPECT_EQ(ExecutableImage(image.bytes()).Resources(), MixedTree());

    // Headers with no room for another section's entry are refused, not overrun.
    ExecutableImage full(ImageWithResourcesFirst({{0x200, 0x200}, {0x400, 0x200}, {0x600, 0x200}}, old));
    EXPECT_THROW(full.SetResources(MixedTree()), std::runtime_error);
}

TEST(ExecutableImageTest, OnlyBareUnsignedImagesAreTaken) {
    const std::string bare = PeImage({{0x200, 0x200}});
    EXPECT_THROW(ExecutableImage(bare + "payload"), std::runtime_error);
    std::string signedImage = bare;
    SetCertificateTable(signedImage, 0x400, 16);
    EXPECT_THROW(ExecutableImage{signedImage}, std::runtime_error);
    std::string symbols = bare;
    WriteLE(symbols, kPeSignatureOffset + 4 + 8, 0x380, 4);
    EXPECT_THROW(ExecutableImage{symbols}, std::runtime_error);
    EXPECT_THROW(ExecutableImage(bare.substr(0, 0x300)), std::runtime_error);
    EXPECT_THROW(ExecutableImage("MZ not an image"), std::runtime_error);
}

TEST(ExecutableImageTest, RealEngineKeepsItsRelocationsAndChecksum) {
    const std::string engine = BuiltEngine();
    if (engine.empty()) GTEST_SKIP() << "no Windows build";
    // The checksum as the linker computed it.
    const uint64_t checksumAt = ReadLE(engine, 0x3C, 4) + 24 + 64;
    EXPECT_EQ(PeChecksum(engine, checksumAt), ReadLE(engine, checksumAt, 4));
    // The engine's built-in manifest is the one every setup's starts from.
    ExecutableImage image(engine);
    EXPECT_EQ(image.Resources().at(kManifestResource).at(uint16_t(1)).begin()->second.bytes, EngineManifest());

    const bool pe32 = ReadLE(engine, checksumAt - 64, 2) == 0x10B;
    const uint64_t relocationsAt = checksumAt - 64 + (pe32 ? 96 : 112) + 5 * 8;
    auto relocationBytes = [&](const std::string& file) {
        const uint32_t rva = ReadLE(file, relocationsAt, 4), size = ReadLE(file, relocationsAt + 4, 4);
        const uint64_t table = checksumAt - 64 + ReadLE(file, ReadLE(file, 0x3C, 4) + 20, 2);
        for (uint32_t i = 0; i < ReadLE(file, ReadLE(file, 0x3C, 4) + 6, 2); ++i) {
            const uint64_t entry = table + 40 * i;
            if (ReadLE(file, entry + 12, 4) == rva) return file.substr(ReadLE(file, entry + 20, 4), size);
        }
        return std::string();
    };
    image.SetResources(MixedTree());
    const std::string edited = image.bytes();
    EXPECT_EQ(SectionCount(edited), SectionCount(engine)) << "the old resource section is dropped";
    EXPECT_FALSE(relocationBytes(engine).empty());
    EXPECT_EQ(relocationBytes(edited), relocationBytes(engine)) << "the relocations moved whole";
    EXPECT_EQ(ReadLE(edited, checksumAt, 4), PeChecksum(edited, checksumAt));
}

TEST(SetupValuesTest, VersionNumbersAreOneToFourSixteenBitParts) {
    VersionTexts texts{"Product", "Publisher", "Description", "1", "setup.exe"};
    for (const char* good : {"1", "1.2", "1.2.3.65535"}) {
        texts.productVersion = good;
        EXPECT_NO_THROW(BuildVersionResource(texts)) << good;
    }
    for (const char* bad : {"", "1.2.3.4.5", "1..2", "1.x", "65536", "1.", "-1"}) {
        texts.productVersion = bad;
        EXPECT_THROW(BuildVersionResource(texts), std::runtime_error) << bad;
    }
    texts.productVersion = "2.5.1";
    const std::string block = BuildVersionResource(texts);
    EXPECT_EQ(ReadLE(block, 0, 2), block.size());
    EXPECT_EQ(ReadLE(block, 40, 4), 0xFEEF04BDu);  // VS_FIXEDFILEINFO after the key and its padding
    EXPECT_EQ(ReadLE(block, 48, 4), 0x00020005u);
    EXPECT_EQ(ReadLE(block, 52, 4), 0x00010000u);
}

TEST(SetupValuesTest, IconGroupNumbersTheImages) {
    std::string file;
    for (uint32_t v : {0u, 1u, 2u}) AppendLE(file, v, 2);  // two images
    for (uint32_t i = 0; i < 2; ++i) {
        file += std::string{char(16 << i), char(16 << i), 0, 0};
        AppendLE(file, 1, 2);
        AppendLE(file, 32, 2);
        AppendLE(file, 4, 4);
        AppendLE(file, 6 + 32 + 4 * i, 4);
    }
    file += "img1img2";
    const IconResources icon = ReadIconFile(file, 5);
    EXPECT_EQ(icon.images, (std::vector<std::string>{"img1", "img2"}));
    ASSERT_EQ(icon.group.size(), 6u + 2 * 14);
    EXPECT_EQ(ReadLE(icon.group, 6 + 12, 2), 5u);
    EXPECT_EQ(ReadLE(icon.group, 6 + 14 + 12, 2), 6u);
    EXPECT_EQ(icon.group[6 + 14], char(32));
    EXPECT_THROW(ReadIconFile(file.substr(0, file.size() - 1), 1), std::runtime_error);
    std::string cursor = file;
    cursor[2] = 2;
    EXPECT_THROW(ReadIconFile(cursor, 1), std::runtime_error);
}

TEST(SetupValuesTest, ElevationFollowsTheInstallationScope) {
    EXPECT_EQ(DefaultElevation(ScriptBuilder().Add("Set Variable", {"GREETING", "FALSE"}).script()),
              Elevation::RequireAdministrator);
    EXPECT_EQ(DefaultElevation(ScriptBuilder().Add("Set Variable", {"allusers", "false"}).script()),
              Elevation::AsInvoker);
    EXPECT_EQ(DefaultElevation(ScriptBuilder().Commented("Set Variable", {"ALLUSERS", "FALSE"}).script()),
              Elevation::RequireAdministrator);
    for (Elevation e : {Elevation::AsInvoker, Elevation::HighestAvailable, Elevation::RequireAdministrator}) {
        EXPECT_EQ(ParseElevation(ElevationName(e)), e);
        const std::string manifest = SetupManifest(e);
        EXPECT_NE(manifest.find(std::string("level=\"") + ElevationName(e) + "\""), std::string::npos);
        EXPECT_EQ(manifest.size() - std::string(ElevationName(e)).size(),
                  EngineManifest().size() - std::string("asInvoker").size()) << "only the level changes";
    }
    EXPECT_FALSE(ParseElevation("administrator"));
}
