// The reference tables against what they describe: the variables session
// start defines, the folder kinds the engine reads, and their copy in
// docs/authoring.md.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "script/Payload.h"
#include "support/OrvantaShell.h"
#include "support/ScriptBuilder.h"
#include "support/TempDir.h"
#include "system/TextUtils.h"
#include "tools/authoring/ProjectSource.h"
#include "tools/authoring/ReferenceTables.h"

namespace {

const char* kHead =
    "ProductCode = {11111111-2222-3333-4444-555555555555}\nRevisionCode = {21111111-2222-3333-4444-555555555555}\n"
    "[script]\n";

// The variable names a dry run prints, in the store's order.
std::vector<std::string> PrintedNames(const std::string& output) {
    std::vector<std::string> names;
    for (const auto& line : SplitLines(output)) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos && line.find(':') > equals) names.push_back(line.substr(0, equals));
    }
    return names;
}

TEST(ReferenceTablesTest, ThePredefinedVariablesAreThoseEverySessionStartsWith) {
    TempDir dir;
    ScriptBuilder b;
    b.Add("Comment", {"nothing"});
    Payload payload;
    payload.script = b.script();
    const auto [text, status] = RunOrvanta("run " + dir.write("setup.payload", WritePayload(payload)));
    ASSERT_EQ(status, 0) << text;
    std::vector<std::string> documented;
    for (const auto& row : FindReferenceTable("variables")->rows) documented.push_back(row[0]);
    EXPECT_EQ(documented, PrintedNames(text));
}

TEST(ReferenceTablesTest, FolderKindsByNameBuildTheNumberTheEngineReads) {
    const Project project = ParseProject(std::string(kHead) +
                                             "Get Folder Location\n  | PROGRAMS\n  | ProgramFiles\n  | FALSE\n"
                                             "Get Folder Location\n  | DESKTOP\n  | desktop\n  | FALSE\n"
                                             "Get Folder Location\n  | BYNUMBER\n  | 17\n  | FALSE\n",
                                         "project.orv");
    const auto& blocks = project.payload.script.ParameterBlocks;
    std::vector<std::string> all;
    for (const auto& block : blocks) all.insert(all.end(), block.begin(), block.end());
    EXPECT_EQ(all.at(2), "20");
    EXPECT_EQ(all.at(6), "17");
    EXPECT_EQ(all.at(10), "17");
    // The engine reads the number: a dry run answers with its folders.
    TempDir dir;
    dir.write("project.orv", std::string(kHead) + "Get Folder Location\n  | PROGRAMS\n  | programfiles\n  | FALSE\n"
                                                  "Get Folder Location\n  | DESKTOP\n  | desktop\n  | FALSE\n");
    const auto [text, status] = RunOrvanta("run " + dir.path().string());
    ASSERT_EQ(status, 0) << text;
    EXPECT_NE(text.find("\nPROGRAMS=C:\\Program Files\\\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nDESKTOP=C:\\Users\\user\\Desktop\\\n"), std::string::npos) << text;
    // Decompiled, the number reads as its word again.
    EXPECT_NE(WriteProjectSource(project.payload, "setup").find("  | programfiles\n"), std::string::npos);

    dir.write("project.orv", std::string(kHead) + "Get Folder Location\n  | P\n  | startmenus\n  | FALSE\n");
    const auto [refused, refusedStatus] = RunOrvanta("check " + dir.path().string());
    EXPECT_EQ(refusedStatus, 1);
    EXPECT_NE(refused.find("p2 (folder kind) 'startmenus' is not one of 0 (temporary Internet files)"),
              std::string::npos) << refused;
}

TEST(ReferenceTablesTest, TheAuthoringGuideHoldsTheTablesAsOrvantaWritesThem) {
    const char* source = std::getenv("ORVANTA_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::string guide = ReadWholeFile(std::string(source) + "/docs/authoring.md");
    EXPECT_NE(guide.find(ReferenceTablesMarkdown()), std::string::npos)
        << "docs/authoring.md's reference tables differ from `orvanta commands --markdown`'s";
    const auto [text, status] = RunOrvanta("commands --reference tags");
    EXPECT_EQ(status, 0);
    EXPECT_NE(text.find("TTreeView                      1      the feature tree"), std::string::npos) << text;
    EXPECT_EQ(RunOrvanta("commands --reference colours").second, 2);
}

}  // namespace
