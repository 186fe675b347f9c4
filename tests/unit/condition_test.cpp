#include <gtest/gtest.h>

#include "script/Condition.h"
#include "core/ScriptError.h"
#include "script/Translation.h"
#include "core/VariableStore.h"
#include "support/ScriptBuilder.h"

namespace {

bool Evaluate(const std::string& left, const std::string& code, const std::string& right,
              const std::string& negate = "FALSE") {
    ClearVariables();
    DefineVariable("L", left, "Test");
    DefineVariable("R", right, "Test");
    ScriptBuilder b;
    b.Add("If", {"L", code, "$R$", negate});
    return EvaluateCondition(b.script(), b.script().CommandIds[0]);
}

TEST(ConditionTest, NumbersCompareAsNumbersTextsAsBytes) {
    EXPECT_TRUE(Evaluate("10", "2", "9"));
    EXPECT_FALSE(Evaluate("10", "2", "9x"));
    EXPECT_TRUE(Evaluate("007", "0", "7"));
    EXPECT_TRUE(Evaluate(" -5", "2", "-6"));
    EXPECT_TRUE(Evaluate("$10", "0", "16"));
    EXPECT_TRUE(Evaluate("0x1F", "0", "31"));
    EXPECT_FALSE(Evaluate("12", "1", "1"));  // "contains" of two numbers is equality
    EXPECT_TRUE(Evaluate("abc", "2", "ab"));
    EXPECT_FALSE(Evaluate("ab", "2", "abc"));
    EXPECT_TRUE(Evaluate("\xE9", "2", "z"));  // bytes above 127 sort last
    EXPECT_FALSE(Evaluate("Abc", "0", "abc"));
    EXPECT_TRUE(Evaluate("setup files", "1", "up f"));
    EXPECT_FALSE(Evaluate("abc", "1", ""));
    EXPECT_TRUE(Evaluate("abc", "1", "", "TRUE"));
    EXPECT_FALSE(Evaluate("abc", "7", "abc"));
    EXPECT_TRUE(Evaluate("abc", "7", "abc", "-1"));
}

TEST(ConditionTest, OperandForms) {
    ClearVariables();
    DefineVariable("CHECKOS", "FALSE", "Test");
    DefineVariable("$A$B$", "whole", "Test");
    ScriptBuilder b;
    b.Add("If", {"$CHECKOS$", "0", "TRUE", "TRUE"});
    b.Add("If", {"$A$B$", "0", "whole", ""});
    b.Add("If", {"CHECKOS", "0", "a$CHECKOS$", ""});  // a literal: no expansion
    b.Add("If", {"MISSING", "0", "x", ""});
    b.Add("If", {"CHECKOS", "0", "$MISSING$", ""});
    const auto& ids = b.script().CommandIds;
    EXPECT_TRUE(EvaluateCondition(b.script(), ids[0]));
    EXPECT_TRUE(EvaluateCondition(b.script(), ids[1]));
    EXPECT_FALSE(EvaluateCondition(b.script(), ids[2]));
    EXPECT_THROW(EvaluateCondition(b.script(), ids[3]), ScriptError);
    EXPECT_THROW(EvaluateCondition(b.script(), ids[4]), ScriptError);
}


}  // namespace
