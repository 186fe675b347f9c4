#include <gtest/gtest.h>

#include "script/ParameterIndex.h"
#include "script/Script.h"
#include "core/ScriptError.h"

TEST(ParameterIndexTest, AnswersAsTheScanDoes) {
    const std::vector<std::vector<std::string>> blocks = {
        {"{A}", "a1", "a2", "{B}", "b1", "{A}", "second a"},
        {"{C}", "c1", "{B}", "override b1", "override b2"},
        {"{D}"}};
    const ParameterIndex index(blocks);
    for (const std::string id : {"{A}", "{B}", "{C}", "{X}", "a1"})
        for (size_t n = 0; n < 3; ++n) {
            std::string expected, actual;
            bool expectedThrows = false, actualThrows = false;
            try { expected = GetParameter(blocks, id, n); } catch (const ScriptError&) { expectedThrows = true; }
            try { actual = index.Get(id, n); } catch (const ScriptError&) { actualThrows = true; }
            EXPECT_EQ(actualThrows, expectedThrows) << id << " " << n;
            EXPECT_EQ(actual, expected) << id << " " << n;
        }
    EXPECT_EQ(index.Get("{D}", 0), "{D}");
    EXPECT_THROW(index.Get("{D}", 1), ScriptError);
}
