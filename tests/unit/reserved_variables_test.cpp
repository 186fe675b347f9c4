// The reserved variables of the script check, which the form check also
// takes as defined, against the engine: what a silent run defines before its
// script writes anything.
#include <algorithm>
#include <iterator>
#include <set>
#include <vector>

#include "script/CheckScript.h"
#include "support/ScriptRunTest.h"

namespace {

class ReservedVariablesTest : public ScriptRunTest {};

TEST_F(ReservedVariablesTest, AreTheVariablesTheEngineDefinesBeforeTheScript) {
    b.Add("Comment");
    Run();
    std::set<std::string> engine;
    for (const auto& [name, value] : ListVariables()) engine.insert(name);
    const std::set<std::string> reserved(ReservedVariableNames().begin(), ReservedVariableNames().end());
    std::vector<std::string> unlisted, undefined;
    std::set_difference(engine.begin(), engine.end(), reserved.begin(), reserved.end(), std::back_inserter(unlisted));
    std::set_difference(reserved.begin(), reserved.end(), engine.begin(), engine.end(), std::back_inserter(undefined));
    EXPECT_EQ(unlisted, std::vector<std::string>{});
    EXPECT_EQ(undefined, std::vector<std::string>{});
}

}  // namespace
