#include <gtest/gtest.h>

#include <fstream>

#include "core/StartupValues.h"
#include "core/VariableStore.h"
#include "script/mscriptexec.h"
#include "support/ScriptBuilder.h"
#include "support/TempDir.h"
#include "system/CommaText.h"
#include "system/HostMessageBoxes.h"
#include "system/HostPluginLibraries.h"
#include "system/ProgramStart.h"
#include "system/TextUtils.h"

namespace {

const char kMissingText[] =
    "Unable to load plug-in library. Please rebuild your project and make sure all required plug-ins are "
    "installed.\r\rAction skipped";

class PluginCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        Startup() = StartupValues{};
        Startup().supportFolder = temp.path().string() + "/support/";
        std::filesystem::create_directories(Startup().supportFolder);
        HostBoxes().Reset();
        HostPluginLibraries().clear();
    }
    void TearDown() override { HostPluginLibraries().clear(); }

    // A library file in the support folder whose entry does what `entry` does.
    void Provide(const std::string& file, HostPluginEntry entry) {
        std::ofstream(Startup().supportFolder + file).put('x');
        HostPluginLibraries()[WithBackslash(Startup().supportFolder) + file] = std::move(entry);
    }
    void Run(const std::vector<std::string>& pluginNames) {
        Script script = b.script();
        script.PluginCommandNames = pluginNames;
        RunScript(script, ScriptBuilder::PackagePath(), nullptr);
        EXPECT_EQ(LastScriptErrorReport(), "");
    }
    std::string Value(const std::string& name) { return VariableExists(name) ? GetVariable(name) : "<undefined>"; }

    TempDir temp;
    ScriptBuilder b;
};

TEST_F(PluginCommandTest, TheReturnedVariablesReplaceTheStoreWhole) {
    PluginCall seen;
    Provide("runner.dll", [&](const PluginCall& call) {
        seen = call;
        std::vector<std::string> items = FromCommaText(call.variables);
        std::vector<std::string> kept;
        for (size_t i = 0; i + 1 < items.size(); i += 2) {
            if (items[i] == "DROPPED") continue;
            kept.push_back(items[i]);
            kept.push_back(items[i] == "CHANGED" ? "after" : items[i + 1]);
        }
        kept.insert(kept.end(), {"ADDED", "new value"});
        return std::optional<std::string>(ToCommaText(kept));
    });
    b.Add("Set Variable", {"CHANGED", "before"}).Add("Set Variable", {"DROPPED", "x"});
    b.Add("Set Variable", {"PROGRESSTEXT", "Working"});
    b.Add("Sample Action", {"TRUE,$CHANGED$", "sample.plg\\runner.dll"});
    b.Add("Set Variable", {"AFTER", "$ADDED$"});
    Run({"Sample Action"});
    EXPECT_EQ(seen.parameters, "TRUE,$CHANGED$") << "the parameter text is passed unexpanded";
    EXPECT_EQ(Value("CHANGED"), "after");
    EXPECT_EQ(Value("DROPPED"), "<undefined>");
    EXPECT_EQ(Value("AFTER"), "new value") << "the script goes on with the returned variables";
    EXPECT_TRUE(HostBoxes().shown.empty());
}

TEST_F(PluginCommandTest, AFailingOrMissingLibraryLeavesEveryVariableAsItWas) {
    Provide("failing.dll", [](const PluginCall&) { return std::optional<std::string>(); });
    b.Add("Set Variable", {"KEPT", "value"});
    b.Add("Failing Action", {"", "x\\failing.dll"});
    b.Add("Missing Action", {"", "x\\missing.dll"});
    b.Add("Set Variable", {"AFTER", "reached"});
    Startup().silent = false;
    Run({"Failing Action", "Missing Action"});
    const std::string before = SnapshotVariables();
    EXPECT_EQ(Value("KEPT"), "value");
    EXPECT_EQ(Value("AFTER"), "reached");
    ASSERT_EQ(HostBoxes().shown.size(), 1u) << "only the missing library shows a box";
    EXPECT_EQ(HostBoxes().shown[0].text, kMissingText);
    EXPECT_EQ(HostBoxes().shown[0].caption, "Orvanta");
    EXPECT_EQ(before, SnapshotVariables());
}

TEST_F(PluginCommandTest, ProgressReachesTheCallbackAndCancelStopsIt) {
    std::vector<bool> answers;
    Provide("progress.dll", [&](const PluginCall& call) {
        answers.push_back(call.progress(50, "half"));
        return std::optional<std::string>(call.variables);
    });
    b.Add("Progress Action", {"", "p\\progress.dll"});
    Run({"Progress Action"});
    EXPECT_EQ(answers, std::vector<bool>{true});
}

TEST_F(PluginCommandTest, ALibraryInABlockOfTheDataFolderThatIsMissingEndsTheScript) {
    Startup().silent = true;
    b.Add("Set Variable", {"DATADIR", temp.path().string() + "/data/"});
    b.Add("Block Action", {"", "plg\\block.dll"});
    b.Add("Set Variable", {"AFTER", "never"});
    Script script = b.script();
    script.PluginCommandNames = {"Block Action"};
    script.CommandMediaFolders[1] = "Block\\";
    RunScript(script, ScriptBuilder::PackagePath(), nullptr);
    EXPECT_NE(LastScriptErrorReport().find("Original setup sources required to complete operation, sources not found"),
              std::string::npos)
        << LastScriptErrorReport();
    EXPECT_FALSE(VariableExists("AFTER"));
}

TEST_F(PluginCommandTest, ALibraryInABlockOfTheDataFolderIsLoadedFromThere) {
    const std::string data = temp.path().string() + "/data/";
    std::filesystem::create_directories(data + "Block/plg");
    std::ofstream(data + "Block/plg/block.dll").put('x');
    HostPluginLibraries()[WithBackslash(data) + "Block\\plg\\block.dll"] = [](const PluginCall& call) {
        return std::optional<std::string>(call.variables + ",FROMBLOCK,yes");
    };
    b.Add("Set Variable", {"DATADIR", data});
    b.Add("Block Action", {"", "plg\\block.dll"});
    Script script = b.script();
    script.PluginCommandNames = {"Block Action"};
    script.CommandMediaFolders[1] = "Block\\";
    RunScript(script, ScriptBuilder::PackagePath(), nullptr);
    EXPECT_EQ(LastScriptErrorReport(), "");
    EXPECT_EQ(Value("FROMBLOCK"), "yes");
}

TEST_F(PluginCommandTest, AProgramCommandWithANonNumberProgressIsAScriptError) {
    b.Add("Set Variable", {"PROGRESS", "half"});
    b.Add("Run Program", {"C:\\helpers\\exitcode.exe", "FALSE", "", "TRUE", "CODE"});
    RunScript(b.script(), ScriptBuilder::PackagePath(), nullptr);
    EXPECT_EQ(LastScriptErrorReport(), "Runtime error in setup script:\r\rLine 2: 'half' is not a valid integer value");
    EXPECT_FALSE(VariableExists("CODE"));
}

TEST(EnvironmentBlockTest, OneEntryALineEachZeroTerminatedAndOneMoreZero) {
    using namespace std::string_literals;
    EXPECT_EQ(EnvironmentBlock("A=1\r\nB=two words\n\nC="), "A=1\0B=two words\0C=\0\0"s);
    EXPECT_EQ(EnvironmentBlock("\r\n"), "\0\0"s);
}

}  // namespace
