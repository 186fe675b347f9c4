#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "script/CommandTable.h"
#include "tools/authoring/CommandCatalogue.h"
#include "tools/authoring/CommandReference.h"
#include "script/Payload.h"
#include "support/TempDir.h"

namespace {

// The commands the interpreter carries out itself (script/mscriptexec.cpp),
// without an entry in the command table.
const std::set<std::string> kInterpreterCommands = {"If",    "Else If",     "Else",    "End",   "Label",
                                                    "GoTo Label", "Wizard Loop", "Comment", "Ignore"};

TEST(CommandCatalogueTest, NamesTheSameCommandsAsTheEngine) {
    const std::vector<std::string> table = EngineCommands().Names();
    std::set<std::string> engine(table.begin(), table.end());
    engine.insert(kInterpreterCommands.begin(), kInterpreterCommands.end());
    std::set<std::string> catalogue;
    for (const auto& command : CommandCatalogue()) {
        EXPECT_TRUE(catalogue.insert(command.name).second) << "listed twice: " << command.name;
        EXPECT_EQ(command.control, kInterpreterCommands.count(command.name) == 1) << command.name;
    }
    EXPECT_EQ(catalogue, engine);
}

TEST(CommandCatalogueTest, TranslatableParametersAreTheEnginesSlots) {
    for (const auto& command : CommandCatalogue()) {
        std::vector<int> slots;  // parameter number per slot, as the engine declares them
        for (size_t k = 0; k < command.parameters.size(); ++k) {
            const int slot = command.parameters[k].translationSlot;
            if (slot == 0) continue;
            if (slots.size() < static_cast<size_t>(slot)) slots.resize(static_cast<size_t>(slot));
            slots[static_cast<size_t>(slot) - 1] = static_cast<int>(k) + 1;
        }
        EXPECT_EQ(slots, EngineCommands().TranslatableParameters(command.name)) << command.name;
    }
}

TEST(CommandCatalogueTest, EveryCommandIsDescribedConsistently) {
    for (const auto& command : CommandCatalogue()) {
        EXPECT_LE(command.required, command.parameters.size()) << command.name;
        EXPECT_FALSE(std::string(command.help).empty()) << command.name;
        for (const auto& p : command.parameters)
            EXPECT_EQ(p.kind == ParameterKind::Enumeration, !p.values.empty()) << command.name << ": " << p.name;
    }
}

TEST(CommandCatalogueTest, SuggestsTheNearestNameForAMisspeltOne) {
    EXPECT_EQ(ClosestCommandName("Replace Strng"), "Replace String");
    EXPECT_EQ(ClosestCommandName("Go To Label"), "GoTo Label");
    EXPECT_EQ(ClosestCommandName("IF"), "If");
    EXPECT_EQ(ClosestCommandName("Make Coffee"), "");
}

TEST(CommandCatalogueTest, ValuesAreJudgedByTheirKind) {
    const CommandEntry* math = FindCommand("Mathematics");
    ASSERT_NE(math, nullptr);
    EXPECT_TRUE(ValueFitsParameter(math->parameters[0], "-12"));
    EXPECT_FALSE(ValueFitsParameter(math->parameters[0], "twelve"));
    EXPECT_TRUE(ValueFitsParameter(math->parameters[0], "$COUNT$"));  // known only at run time
    EXPECT_TRUE(ValueFitsParameter(math->parameters[2], "15"));
    EXPECT_FALSE(ValueFitsParameter(math->parameters[2], "16"));
    const CommandEntry* convert = FindCommand("Convert Path");
    EXPECT_TRUE(ValueFitsParameter(convert->parameters[1], "true"));
    EXPECT_TRUE(ValueFitsParameter(convert->parameters[1], "-1"));
    EXPECT_FALSE(ValueFitsParameter(convert->parameters[1], "yes"));
    EXPECT_FALSE(ValueFitsParameter(convert->parameters[0], " PATH"));
}

// A value of the parameter's kind that the command can take on this machine.
std::string SampleValue(const ParameterEntry& parameter) {
    switch (parameter.kind) {
        case ParameterKind::Variable: return "V";
        case ParameterKind::Flag: return "FALSE";
        case ParameterKind::Integer: return "0";
        case ParameterKind::Enumeration: return parameter.values.front().value;
        case ParameterKind::Guid: return "{11111111-2222-3333-4444-555555555555}";
        default: return "x";
    }
}

// A script whose parameter list holds just the given lines: nothing to read
// past a command's last line but the next command's id or the end.
Script ScriptOfExactly(const std::vector<std::pair<std::string, std::vector<std::string>>>& commands) {
    Script script;
    script.ParameterBlocks.emplace_back();
    for (const auto& [name, parameters] : commands) {
        const std::string id = "{CMD-" + std::to_string(script.size()) + "}";
        script.CommandNames.push_back(name);
        script.CommandIds.push_back(id);
        script.CommandFlags.emplace_back();
        script.CommandMediaFolders.emplace_back();
        script.ParameterBlocks.front().push_back(id);
        script.ParameterBlocks.front().insert(script.ParameterBlocks.front().end(), parameters.begin(), parameters.end());
    }
    return script;
}

// The check lets a command through with its required lines only, so the
// engine must never read beyond them: it would take the next command's id
// as the value. Each command runs alone (orvanta run of a payload, which the
// authoring check does not judge, in an empty folder) with just those
// lines; reading past them stops it with "List index out of bounds".
// Commands that need Windows are skipped there, after reading what they
// read first.
TEST(CommandCatalogueTest, TheEngineReadsNoMoreThanTheRequiredParameterLines) {
    const char* buildDir = std::getenv("ORVANTA_BUILD_DIR");
    for (const auto& command : CommandCatalogue()) {
        if (command.control || command.anyParameters) continue;
        std::vector<std::string> values;
        for (size_t k = 0; k < command.required; ++k) values.push_back(SampleValue(command.parameters[k]));
        Payload payload;
        payload.script = ScriptOfExactly({{"Set Variable", {"V", "1"}}, {command.name, values}});
        TempDir dir;
        dir.write("setup.payload", WritePayload(payload));
        // What the command writes stays in the run's scratch folder, made inside the test's folder.
        const std::string run = "cd " + dir.path().string() + " && TMPDIR=" + dir.path().string() + " timeout 60 " +
                                std::string(buildDir ? buildDir : ".") + "/orvanta run setup.payload --silent 2>&1";
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(run.c_str(), "r"), pclose);
        std::string output;
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) output.append(buffer, n);
        EXPECT_EQ(output.find("List index out of bounds"), std::string::npos) << command.name << ":\n" << output;
    }
}

// docs/commands.md is written by `orvanta commands --markdown`; regenerate it
// when this fails.
TEST(CommandCatalogueTest, TheCommandReferenceInDocsIsCurrent) {
    const char* source = std::getenv("ORVANTA_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::ifstream in(std::string(source) + "/docs/commands.md", std::ios::binary);
    ASSERT_TRUE(in) << "docs/commands.md is missing";
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_TRUE(text.str() == CommandReferenceMarkdown())
        << "docs/commands.md is stale: orvanta commands --markdown > docs/commands.md";
}

}  // namespace
