#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "script/CommandTable.h"
#include "tools/authoring/CommandCatalogue.h"
#include "tools/authoring/CommandReference.h"

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
