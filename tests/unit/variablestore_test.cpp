#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "core/StartupValues.h"
#include "core/ScriptError.h"
#include "core/VariableStore.h"
#include "support/ReferenceExpansion.h"

namespace {

class VariableStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearVariables();
        Startup().overrides.clear();
        Startup().silent = false;
    }
    void TearDown() override { SetUp(); }
};

TEST_F(VariableStoreTest, NamesCompareWithoutCaseAndKeepTheirSpelling) {
    DefineVariable("TARGETDIR", "C:\\App\\", "Initialization");
    EXPECT_EQ(GetVariable("targetdir"), "C:\\App\\");
    DefineVariable("TargetDir", "D:\\", "Test");  // the same variable
    EXPECT_EQ(ListVariables().size(), 1u);
    EXPECT_EQ(ListVariables()[0].first, "TARGETDIR");
    EXPECT_EQ(GetVariable("TARGETDIR"), "D:\\");
    DefineVariable("", "ignored", "Test");
    EXPECT_EQ(ListVariables().size(), 1u);
}

TEST_F(VariableStoreTest, UndefinedVariablesRaiseTheEngineTexts) {
    try {
        GetVariable("Missing");
        FAIL();
    } catch (const ScriptError& e) {
        EXPECT_STREQ(e.what(), "Attempting to get value of undefined variable Missing");
    }
    try {
        SetVariable("Other", "1", "Test");
        FAIL();
    } catch (const ScriptError& e) {
        EXPECT_STREQ(e.what(), "Attempting to set value of undefined variable Other");
    }
}

TEST_F(VariableStoreTest, ValuesNeverCountAsNames) {
    DefineVariable("A", "B", "Test");
    EXPECT_FALSE(VariableExists("B"));
    DefineVariable("B", "x", "Test");
    EXPECT_TRUE(VariableExists("b"));
}

TEST_F(VariableStoreTest, OverrideWinsOnlyInSilentRuns) {
    Startup().overrides = {{"name", "1"}};
    DefineVariable("NAME", "1", kOverrideSource);
    Startup().silent = true;
    SetVariable("NAME", "2", "Set Variable Action");
    DefineVariable("NAME", "3", "Set Variable Action");
    EXPECT_EQ(GetVariable("NAME"), "1");
    SetVariable("NAME", "4", kOverrideSource);
    EXPECT_EQ(GetVariable("NAME"), "4");
    Startup().silent = false;
    SetVariable("NAME", "2", "Set Variable Action");
    EXPECT_EQ(GetVariable("NAME"), "2");
}

TEST_F(VariableStoreTest, SnapshotAndRestoreQuoteBothWays) {
    DefineVariable("TARGETDIR", "C:\\Program Files\\App\\", "Test");
    DefineVariable("QUOTE", "say \"hi\", then go", "Test");
    DefineVariable("EMPTY", "", "Test");
    DefineVariable("LINES", "a\r\nb", "Test");
    const std::string snapshot = SnapshotVariables();
    EXPECT_EQ(snapshot, "TARGETDIR,\"C:\\Program Files\\App\\\",QUOTE,\"say \"\"hi\"\", then go\",EMPTY,,LINES,\"a\r\nb\"");
    const auto before = ListVariables();
    ClearVariables();
    RestoreVariables(snapshot);
    EXPECT_EQ(ListVariables(), before);
    RestoreVariables("A,1,B");  // a plug-in that drops the last value
    EXPECT_EQ(GetVariable("B"), "");
    EXPECT_FALSE(VariableExists("TARGETDIR"));
}

TEST_F(VariableStoreTest, ExpansionCases) {
    DefineVariable("TARGETDIR", "C:\\App\\", "Test");
    EXPECT_EQ(ExpandText("$targetdir$$NewLine$word"), "C:\\App\\\r\nword");
    EXPECT_EQ(ExpandText("costs 5$ or $UNKNOWN$"), "costs 5$ or $UNKNOWN$");
    EXPECT_EQ(ExpandText("$"), "$");
    EXPECT_EQ(ExpandText(""), "");
    // A refers to B, created later: seen within the same pass.
    DefineVariable("A", "<$B$>", "Test");
    DefineVariable("B", "x", "Test");
    EXPECT_EQ(ExpandText("$A$"), "<x>");
    // C refers to the earlier A: expanded in the next pass.
    DefineVariable("C", "[$A$]", "Test");
    EXPECT_EQ(ExpandText("$C$"), "[<x>]");
    DefineVariable("LIST", "one$NEWLINE$two", "Test");
    EXPECT_EQ(ExpandText("$LIST$"), "one\r\ntwo");
}

TEST_F(VariableStoreTest, SelfReferenceIsAScriptErrorNamingTheVariable) {
    DefineVariable("X", "a$X$", "Test");
    try {
        ExpandText("$X$");
        FAIL();
    } catch (const ScriptError& e) {
        EXPECT_NE(std::string(e.what()).find(": X"), std::string::npos) << e.what();
    }
    ClearVariables();
    DefineVariable("P", "a$Q$", "Test");
    DefineVariable("Q", "b$P$", "Test");
    EXPECT_THROW(ExpandText("$P$"), ScriptError);
    ClearVariables();
    DefineVariable("D", "$E$$E$$E$$E$", "Test");
    DefineVariable("E", "$D$$D$$D$$D$", "Test");
    EXPECT_THROW(ExpandText("$D$"), ScriptError);
    // Two variables naming each other settle: the text comes back unchanged.
    ClearVariables();
    DefineVariable("Y", "$Z$", "Test");
    DefineVariable("Z", "$Y$", "Test");
    EXPECT_EQ(ExpandText("$Y$"), "$Y$");
}

TEST_F(VariableStoreTest, NamesHoldingDollarSignsStillExpand) {
    RestoreVariables("A$B,inner,C,c");
    EXPECT_EQ(ExpandText("<$A$B$>$C$"), "<inner>c");
}

TEST_F(VariableStoreTest, PathsFoldDoubledBackslashes) {
    DefineVariable("TARGETDIR", "C:\\App\\", "Test");
    EXPECT_EQ(ExpandPath("$TARGETDIR$\\bin"), "C:\\App\\bin");
    EXPECT_EQ(ExpandPath("\\\\server\\\\share"), "\\\\server\\share");
    EXPECT_EQ(ExpandPath("a\\\\\\b"), "a\\\\b");
    EXPECT_EQ(ExpandPath("a\\\\\\\\b"), "a\\\\b");
}

TEST_F(VariableStoreTest, ReferencesAndBooleans) {
    EXPECT_EQ(StripReference("$TARGETDIR$"), "TARGETDIR");
    EXPECT_EQ(StripReference("TARGETDIR"), "");
    EXPECT_EQ(StripReference("$A$B$"), "");
    EXPECT_EQ(StripReference("$X"), "");
    DefineVariable("B", "x", "Test");
    DefineVariable("A", "<$B$>", "Test");
    EXPECT_EQ(ResolveReference("$A$"), "<x>");
    EXPECT_EQ(ResolveReference("a"), "<x>");
    EXPECT_EQ(ResolveReference("$NOPE$"), "$ZOLTNX$");
    EXPECT_EQ(ResolveReferenceOrEmpty("$NOPE$"), "");
    EXPECT_TRUE(IsValidReference("$A$", false));
    EXPECT_FALSE(IsValidReference("$NOPE$", true));
    EXPECT_TRUE(IsValidReference("literal", true));
    EXPECT_FALSE(IsValidReference("literal", false));
    EXPECT_TRUE(IsValidReference("a", false));
    EXPECT_TRUE(TextToBool("true"));
    EXPECT_TRUE(TextToBool("TrUe"));
    EXPECT_TRUE(TextToBool("-1"));
    EXPECT_FALSE(TextToBool("1"));
    EXPECT_FALSE(TextToBool(""));
    EXPECT_FALSE(TextToBool("TRUE "));
    EXPECT_EQ(BoolToText(true), "TRUE");
    EXPECT_EQ(BoolToText(false), "FALSE");
    EXPECT_EQ(CrLfToNewline("a\r\nb\nc"), "a$NEWLINE$b\nc");
    EXPECT_EQ(NewlineToCrLf("a$newline$b"), "a\r\nb");
}

TEST_F(VariableStoreTest, FastExpansionAgreesWithTheDocumentedAlgorithm) {
    const std::vector<std::string> names = {"A", "B", "AB", "BA", "A_B", "X", "x1", "LONGER", "NEWLINE", "Q"};
    const std::vector<std::string> literals = {"q", " ", "$", "$$", "\\", "NEWLINE", "AB", "7"};
    std::mt19937 random(20261208);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    auto withRandomCase = [&](std::string s) {
        for (char& c : s)
            if (pick(2)) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    auto randomText = [&](size_t pieces) {
        std::string text;
        for (size_t i = 0; i < pieces; ++i) {
            switch (pick(5)) {
            case 0: text += literals[pick(literals.size())]; break;
            case 1: text += "$NEWLINE$"; break;
            default: text += "$" + withRandomCase(names[pick(names.size())]) + "$"; break;
            }
        }
        return text;
    };
    int compared = 0, unstable = 0;
    for (int round = 0; round < 3000; ++round) {
        ClearVariables();
        std::vector<std::string> order = names;
        std::shuffle(order.begin(), order.end(), random);
        order.resize(1 + pick(order.size()));
        for (const auto& name : order) DefineVariable(name, randomText(pick(4)), "Test");
        const auto store = ListVariables();
        const std::string text = randomText(1 + pick(6));
        const auto expected = ReferenceExpand(store, text);
        if (expected) {
            EXPECT_EQ(ExpandText(text), *expected) << "text " << text << " store " << SnapshotVariables();
            ++compared;
        } else {
            EXPECT_THROW(ExpandText(text), ScriptError) << "text " << text << " store " << SnapshotVariables();
            ++unstable;
        }
    }
    EXPECT_GT(compared, 2200);
    EXPECT_GT(unstable, 30);
}

}  // namespace
