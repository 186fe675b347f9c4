#include <gtest/gtest.h>

#include <cstring>

#include "script/Payload.h"
#include "support/PeImage.h"
#include "support/TempDir.h"

namespace {

// A payload with two commands, written line by line as the authoring tool does.
std::string SamplePayload(const std::string& mediaMode = "1", const std::string& languageFlag = "TRUE") {
    const char* lines[] = {
        "Set Variable", "MessageBox", "$",                            // names
        "{00000000-0000-0000-0000-000000000001}", "{00000000-0000-0000-0000-000000000002}", "$",
        "{00000000-0000-0000-0000-000000000001}", "NAME", "value",    // parameters
        "{00000000-0000-0000-0000-000000000002}", "Title", "Text", "0", "1", "", "$",
        "", "C", "$",                                                 // flags
        "{11111111-2222-3333-4444-555555555555}", "My Product",
        "$",                                                          // plug-in names
        "Publisher", "Contact", "http://help", "http://update", "Comments",
        "", "Web\\", "$",                                             // media folders
        mediaMode.c_str(),
        "COMPONENT", "1234", "$",
        "{AAAAAAAA-2222-3333-4444-555555555555}",
        "$",                                                          // media file map
        languageFlag.c_str(), "English",
        "HDR1", "0", "$",
    };
    std::string text;
    for (const char* l : lines) text += std::string(l) + "\r\n";
    return text;
}

TEST(PayloadTest, ReadsEveryItemInOrder) {
    Payload p = ReadPayload(SamplePayload());
    const Script& s = p.script;
    EXPECT_EQ(s.CommandNames, (std::vector<std::string>{"Set Variable", "MessageBox"}));
    EXPECT_EQ(s.CommandFlags, (std::vector<std::string>{"", "C"}));
    EXPECT_TRUE(s.IsCommentedOut(1));
    EXPECT_EQ(s.CommandMediaFolders[1], "Web\\");
    ASSERT_EQ(s.ParameterBlocks.size(), 1u);
    EXPECT_EQ(GetParameter(s.ParameterBlocks, s.CommandIds[0], 2), "value");
    EXPECT_EQ(GetParameter(s.ParameterBlocks, s.CommandIds[1], 5), "");
    EXPECT_TRUE(s.PluginCommandNames.empty());
    EXPECT_EQ(s.CommandHeaders, (std::vector<std::string>{"HDR1", "0"}));
    EXPECT_EQ(p.project.ProductCode, "{11111111-2222-3333-4444-555555555555}");
    EXPECT_EQ(p.project.Title, "My Product");
    EXPECT_EQ(p.project.Comments, "Comments");
    EXPECT_EQ(p.project.MediaMode, 1);
    EXPECT_EQ(p.project.ComponentSizes, (std::vector<std::string>{"COMPONENT", "1234"}));
    EXPECT_TRUE(p.project.MediaFileMap.empty());
    EXPECT_TRUE(p.project.ShowLanguageDialog);
    EXPECT_EQ(p.project.DefaultLanguage, "English");
}

TEST(PayloadTest, WriteGivesBackTheSameBytes) {
    const std::string text = SamplePayload();
    EXPECT_EQ(WritePayload(ReadPayload(text)), text);
}

TEST(PayloadTest, LanguageFlagIsCaseSensitiveAndMediaModeToleratesBlanks) {
    Payload p = ReadPayload(SamplePayload("  2 trailing words", "true"));
    EXPECT_FALSE(p.project.ShowLanguageDialog);
    EXPECT_EQ(p.project.MediaMode, 2);
}

TEST(PayloadTest, MalformedMediaModeAndPrematureEndAreInputErrors) {
    EXPECT_THROW(ReadPayload(SamplePayload("two")), PayloadError);
    const std::string text = SamplePayload();
    for (size_t cut : {size_t(0), size_t(10), text.size() / 2, text.size() - 5})
        EXPECT_THROW(ReadPayload(text.substr(0, cut)), PayloadError) << "cut at " << cut;
    std::string binary(200, '\0');
    for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 37);
    EXPECT_THROW(ReadPayload(binary), PayloadError);
}

TEST(PayloadTest, ParameterLookupRules) {
    std::vector<std::vector<std::string>> blocks = {{"{B}", "b1", "{A}", "a1", "a2"}, {"{A}", "override"}};
    EXPECT_EQ(GetParameter(blocks, "{A}", 0), "{A}");
    EXPECT_EQ(GetParameter(blocks, "{A}", 1), "override");  // a later list wins
    EXPECT_EQ(GetParameter(blocks, "{B}", 4), "a2");        // counts lines, ignores the next id
    EXPECT_EQ(GetParameter(blocks, "{missing}", 1), "");
    EXPECT_THROW(GetParameter(blocks, "{A}", 2), std::exception);  // beyond the end of its list
}

// Two sections whose raw data ends at rawEnd1 and rawEnd2.
std::string MinimalImage(uint32_t rawEnd1, uint32_t rawEnd2, bool pe32Plus = false) {
    return PeImage({{0x200, rawEnd1 - 0x200}, {0x300, rawEnd2 - 0x300}}, pe32Plus);
}

TEST(PayloadTest, AppendedDataStartsAtTheLargestSectionEnd) {
    TempDir dir;
    const std::string image = MinimalImage(0x400, 0x380);
    auto plain = FindAppendedData(dir.write("plain.exe", image));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->offset, 0x400u);
    EXPECT_EQ(plain->length, 0u);
    EXPECT_EQ(ReadAppendedData(dir.file("plain.exe")), "");

    const std::string withPayload = dir.write("setup.exe", image + "payload\r\n");
    auto found = FindAppendedData(withPayload);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->length, 9u);
    EXPECT_EQ(ReadAppendedData(withPayload), "payload\r\n");
}

TEST(PayloadTest, AppendedDataOfBothImageWidthsEndsBeforeASignature) {
    TempDir dir;
    for (bool pe32Plus : {false, true}) {
        SCOPED_TRACE(pe32Plus ? "PE32+" : "PE32");
        std::string image = MinimalImage(0x400, 0x380, pe32Plus);
        const std::string unsigned_ = dir.write("unsigned.exe", image + "payload\r\n");
        EXPECT_EQ(ReadAppendedData(unsigned_), "payload\r\n");

        SetCertificateTable(image, 0x400 + 9, 16);
        const std::string signed_ = dir.write("signed.exe", image + "payload\r\n" + std::string(16, 'S'));
        auto found = FindAppendedData(signed_);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->offset, 0x400u);
        EXPECT_EQ(found->length, 9u);
        EXPECT_EQ(ReadAppendedData(signed_), "payload\r\n");

        // Signing tools pad the data with zeros up to the table's 8-byte boundary.
        SetCertificateTable(image, 0x400 + 16, 16);
        const std::string padded = dir.write("padded.exe", image + "payload\r\n" + std::string(7, '\0') + std::string(16, 'S'));
        EXPECT_EQ(FindAppendedData(padded)->length, 9u);
        EXPECT_EQ(ReadAppendedData(padded), "payload\r\n");
    }
    // A certificate table claimed inside the image or beyond the file is ignored.
    std::string image = MinimalImage(0x400, 0x380);
    SetCertificateTable(image, 0x100, 16);
    EXPECT_EQ(ReadAppendedData(dir.write("inside.exe", image + "data")), "data");
    SetCertificateTable(image, 0x10000, 16);
    EXPECT_EQ(ReadAppendedData(dir.write("beyond.exe", image + "data")), "data");
}

TEST(PayloadTest, NonImagesHaveNoAppendedData) {
    TempDir dir;
    EXPECT_FALSE(FindAppendedData(dir.write("text.exe", "just some text")));
    EXPECT_FALSE(FindAppendedData(dir.file("missing.exe")));
    std::string image = MinimalImage(0x400, 0x380);
    image[0x80] = 'X';  // broken PE signature
    EXPECT_FALSE(FindAppendedData(dir.write("broken.exe", image)));
    // A section claiming to end beyond the file is not believed.
    EXPECT_FALSE(FindAppendedData(dir.write("short.exe", MinimalImage(0x4000, 0x380))));
    // An optional header size that puts the section table past the headers.
    image = MinimalImage(0x400, 0x380);
    const uint16_t huge = 0xFFFF;
    std::memcpy(&image[0x80 + 4 + 16], &huge, 2);
    EXPECT_FALSE(FindAppendedData(dir.write("huge.exe", image)));
}

}  // namespace
