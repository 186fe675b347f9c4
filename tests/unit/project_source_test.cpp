#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tools/authoring/ProjectSource.h"

namespace {

const char* kHead =
    "Setup = demo\n"
    "ProductCode = {11111111-2222-3333-4444-555555555555}\n"
    "RevisionCode = {21111111-2222-3333-4444-555555555555}\n"
    "Title = Demo\n"
    "ComponentSize = 2048 Main\\Docs\n"
    "MediaFile = web1 | bin/app.exe | Program\\\n"
    "[script]\n";

TEST(ProjectSourceTest, CommandsParametersAndAttributes) {
    Project p = ParseProject(std::string(kHead) +
                                 "Set Variable\n"
                                 "  |  two blanks kept after the first\n"
                                 "  |\n"
                                 "# a comment between commands\n"
                                 "  Install Files @ media=\"Web Media\\\" off\n"
                                 "    | a\n"
                                 "    | b\n"
                                 "    | $TARGETDIR$\n"
                                 "End @ id={AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE} header=MINE\n",
                             "demo.orv");
    const Script& s = p.payload.script;
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(p.setupName, "demo");
    EXPECT_EQ(s.CommandNames[1], "Install Files");
    EXPECT_EQ(s.CommandFlags, (std::vector<std::string>{"", "C", ""}));
    EXPECT_EQ(s.CommandMediaFolders[1], "Web Media\\");
    EXPECT_EQ(GetParameter(s.ParameterBlocks, s.CommandIds[0], 1), " two blanks kept after the first");
    EXPECT_EQ(GetParameter(s.ParameterBlocks, s.CommandIds[0], 2), "");
    EXPECT_EQ(GetParameter(s.ParameterBlocks, s.CommandIds[1], 3), "$TARGETDIR$");
    EXPECT_EQ(s.CommandIds[2], "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}");
    // The recording command gets a header of its own; an explicit one is kept.
    ASSERT_EQ(s.CommandHeaders.size(), 4u);
    EXPECT_EQ(s.CommandHeaders[1], "1");
    EXPECT_EQ(s.CommandHeaders[2], "MINE");
    EXPECT_EQ(s.CommandHeaders[3], "2");
    EXPECT_EQ(p.payload.project.ComponentSizes, (std::vector<std::string>{"MAIN\\DOCS", "2048"}));
    EXPECT_EQ(p.payload.project.MediaFileMap, (std::vector<std::string>{"web1", "bin/app.exe", "Program\\"}));
    EXPECT_EQ(p.commandLines, (std::vector<int>{8, 12, 16}));
}

TEST(ProjectSourceTest, GeneratedIdsAreReproducibleAndDistinct) {
    const std::string text = std::string(kHead) + "Comment\nComment\n";
    Project a = ParseProject(text, "a.orv"), b = ParseProject(text, "b.orv");
    EXPECT_EQ(a.payload.script.CommandIds, b.payload.script.CommandIds);
    EXPECT_NE(a.payload.script.CommandIds[0], a.payload.script.CommandIds[1]);
    EXPECT_EQ(WritePayload(a.payload), WritePayload(b.payload));
}

TEST(ProjectSourceTest, ErrorsNameTheFileAndLine) {
    auto errorOf = [](const std::string& text) -> std::string {
        try {
            ParseProject(text, "p.orv");
        } catch (const SourceError& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_EQ(errorOf(std::string(kHead) + "  | orphan\n"), "p.orv:8: parameter line before the first command");
    EXPECT_EQ(errorOf(std::string(kHead) + "If @ colour=red\n"), "p.orv:8: unknown command attribute 'colour'");
    EXPECT_EQ(errorOf(std::string(kHead) + "If\n  | $\n"),
              "p.orv:9: a parameter cannot be a lone '$' (it would end the parameter list)");
    EXPECT_EQ(errorOf("Title = x\nBogus = 1\n"), "p.orv:2: unknown project value 'Bogus'");
    // The setup cache is named by the revision code, so it must be a GUID.
    const std::string product = "ProductCode = {11111111-2222-3333-4444-555555555555}\n";
    EXPECT_EQ(errorOf(product + "[script]\n"), "p.orv:1: RevisionCode must be a GUID in braces");
    EXPECT_EQ(errorOf(product + "RevisionCode = \n[script]\n"), "p.orv:2: RevisionCode must be a GUID in braces");
    EXPECT_EQ(errorOf(product + "RevisionCode = ..\\..\n[script]\n"), "p.orv:2: RevisionCode must be a GUID in braces");
    EXPECT_EQ(errorOf(std::string(kHead) + "A @ id={1}\nB\n"), "p.orv:8: id must be a GUID in braces: {1}");
    EXPECT_EQ(errorOf(std::string(kHead) +
                      "A @ id={AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}\nB @ id={aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee}\n"),
              "p.orv:9: duplicate command id {aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee}");
}

TEST(ProjectSourceTest, WrittenSourceParsesToTheSamePayload) {
    const std::string sample = std::string(std::getenv("ORVANTA_SOURCE_DIR")) + "/examples/sample";
    Project original = LoadProject(sample);
    const std::string source = WriteProjectSource(original.payload, original.setupName);
    Project again = ParseProject(source, "decompiled.orv");
    EXPECT_EQ(WritePayload(again.payload), WritePayload(original.payload)) << source;
    EXPECT_EQ(again.setupName, "sample");
}

TEST(ProjectSourceTest, EnumerationWordsStandForTheirCodesAndDecompileWritesThem) {
    const std::string source = std::string(kHead) +
                               "If\n  | A\n  | GREATER\n  | 1\n  | FALSE\nEnd\n"
                               "Mathematics\n  | 6\n  | 7\n  | multiply\n  | R\n"
                               "Read Registry\n  | V\n  | HKLM\n  | Software\n  | x\n"
                               "Mathematics\n  | 1\n  | 2\n  | 0\n  | S\n"
                               "Write Registry\n  | HKLM\n  | string\n  | Software\n  | n\n  | v\n";
    const Project p = ParseProject(source, "p.orv");
    const std::vector<std::string>& lines = p.payload.script.ParameterBlocks[0];
    auto after = [&](size_t command, size_t k) {
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i] == p.payload.script.CommandIds[command]) return lines[i + k];
        return std::string("?");
    };
    EXPECT_EQ(after(0, 2), "2");
    EXPECT_EQ(after(2, 3), "2");
    EXPECT_EQ(after(3, 2), "2");
    EXPECT_EQ(after(5, 1), "HKLM");  // the recording commands' own words stay as written

    const std::string written = WriteProjectSource(p.payload, "demo");
    EXPECT_NE(written.find("  | greater\n"), std::string::npos) << written;
    EXPECT_NE(written.find("  | add\n"), std::string::npos) << written;
    EXPECT_NE(written.find("  | HKLM\n"), std::string::npos) << written;
    EXPECT_EQ(WritePayload(ParseProject(written, "again.orv").payload), WritePayload(p.payload));
}

TEST(ProjectSourceTest, WrittenSourceNamesParametersAndKeepsOnlyTheAttributesGiven) {
    const Project p = ParseProject(std::string(kHead) +
                                       "Mathematics\n  | 6\n  | 7\n  | add\n  | R\n"
                                       "Write Registry @ header=\"a header\"\n  | HKLM\n  | string\n  | K\n  | n\n  | v\n"
                                       "Write Registry\n  | HKLM\n  | string\n  | K\n  | n\n  | v\n"
                                       "Comment @ id={AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE} media=\"Disk 1\\\" off\n"
                                       "Get IIS Property\n  | TRUE\n  |\n  | 1\n  | /\n  | Path\n  | V\n",
                                   "p.orv");
    const std::string written = WriteProjectSource(p.payload, "demo");
    EXPECT_NE(written.find("Mathematics\n  # p1 operand A; p2 operand B; p3 operation; p4 result variable\n  | 6\n"),
              std::string::npos) << written;
    EXPECT_NE(written.find("Write Registry @ header=\"a header\"\n"), std::string::npos) << written;
    // Past a few parameters each one is named on a line of its own.
    EXPECT_NE(written.find("Get IIS Property\n  # p1 of the site (FALSE: of the virtual folder)\n  | TRUE\n"
                           "  # p2 (not used)\n  |\n"),
              std::string::npos) << written;
    // The generated id and header come back by themselves.
    EXPECT_NE(written.find("\nWrite Registry\n"), std::string::npos) << written;
    EXPECT_NE(written.find("Comment @ id={AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE} media=\"Disk 1\\\" off\n"),
              std::string::npos) << written;
    // The file values wait for the author; an empty Package builds nothing but checks.
    EXPECT_NE(written.find("\nPackage =\n"), std::string::npos) << written;
    EXPECT_EQ(WritePayload(ParseProject(written, "again.orv").payload), WritePayload(p.payload));
}

TEST(ProjectSourceTest, ValuesNoSourceLineCanHoldAreRefused) {
    const Project p = ParseProject(std::string(kHead) + "Set Variable\n  | V\n  | x\nComment\n", "p.orv");
    auto refused = [&](auto change) {
        Payload payload = p.payload;
        change(payload);
        try {
            WriteProjectSource(payload, "demo");
        } catch (const std::runtime_error&) {
            return true;
        }
        return false;
    };
    EXPECT_FALSE(refused([](Payload&) {}));
    EXPECT_TRUE(refused([](Payload& q) { q.script.ParameterBlocks[0][2] = "two\rlines"; }));
    EXPECT_TRUE(refused([](Payload& q) { q.project.Title = "two\nlines"; }));
    EXPECT_TRUE(refused([](Payload& q) { q.script.CommandMediaFolders[1] = "a \"quoted\" folder"; }));
    EXPECT_TRUE(refused([](Payload& q) { q.script.CommandNames[1] = "# Comment"; }));
    EXPECT_TRUE(refused([](Payload& q) { q.script.CommandNames[1] = "A @ B"; }));
    EXPECT_TRUE(refused([](Payload& q) { q.project.MediaFileMap[1] = "a | b"; }));
    EXPECT_TRUE(refused([](Payload& q) { q.project.MediaFileMap[0] = "a |"; }));
}

}  // namespace
