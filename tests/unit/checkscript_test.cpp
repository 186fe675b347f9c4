#include <gtest/gtest.h>

#include "script/CheckScript.h"
#include "core/VariableStore.h"
#include "support/ScriptBuilder.h"

namespace {

ScriptCheckResult Check(const ScriptBuilder& b) { return CheckScript(b.script()); }

void ExpectFailure(const ScriptBuilder& b, int command, const std::string& message) {
    const ScriptCheckResult result = Check(b);
    EXPECT_EQ(result.commandNumber, command) << result.message;
    EXPECT_EQ(result.message, message);
}

TEST(CheckScriptTest, AcceptsAWellFormedScriptAndDeclaresTheReservedVariables) {
    ScriptBuilder b;
    b.Add("Set Variable", {"Name", "x"}).Add("If", {"$NAME$", "0", "$TARGETDIR$", "FALSE"}).Add("End");
    const ScriptCheckResult result = Check(b);
    EXPECT_EQ(result.commandNumber, -1);
    EXPECT_EQ(result.message, "Script compiled successfully");
    const auto variables = ListVariables();
    ASSERT_EQ(variables.size(), 46u);
    EXPECT_EQ(variables.front().first, "TIME");
    EXPECT_EQ(variables[44].first, "LANGUAGE");
    EXPECT_EQ(variables[45].first, "NAME");
}

TEST(CheckScriptTest, BlockBalance) {
    ScriptBuilder missing;
    missing.Add("If", {"TITLE", "0", "x"}).Add("Comment").Add("Comment");
    ExpectFailure(missing, 2, "Insufficient END statements");
    ScriptBuilder extra;
    extra.Add("Wizard Loop").Add("End").Add("End").Add("Comment");
    ExpectFailure(extra, 3, "Too many END statements");
    ScriptBuilder commented;
    commented.Commented("If", {"TITLE", "0", "x"}).Commented("Wizard Loop");
    EXPECT_TRUE(Check(commented).ok());
    ScriptBuilder nestedLabel;
    nestedLabel.Add("If", {"TITLE", "0", "x"}).Add("Label", {"L"}).Add("End");
    ExpectFailure(nestedLabel, 1, "LABEL statements cannot be nested inside loops/conditionals");
}

TEST(CheckScriptTest, Labels) {
    ScriptBuilder twice;
    twice.Commented("Label", {"Start"}).Add("Label", {"START"});
    ExpectFailure(twice, 1, "LABEL re-defined: START");
    ScriptBuilder undefined;
    undefined.Add("GoTo Label", {"Nowhere"});
    ExpectFailure(undefined, 0, "LABEL undefined: Nowhere");
    ScriptBuilder commentedTarget;
    commentedTarget.Add("GoTo Label", {"later"}).Commented("Label", {"Later"});
    EXPECT_TRUE(Check(commentedTarget).ok());
}

TEST(CheckScriptTest, VariablesMustBeWrittenBeforeTheyAreRead) {
    ScriptBuilder late;
    late.Add("If", {"LATE", "0", "1"}).Add("End").Add("Set Variable", {"LATE", "1"});
    ExpectFailure(late, 0, "Variable not defined: LATE");
    ScriptBuilder early;
    early.Add("Set Variable", {"LATE", "1"}).Add("If", {"LATE", "0", "1"}).Add("End");
    EXPECT_TRUE(Check(early).ok());
    ScriptBuilder both;
    both.Add("If", {"$A$", "0", "$B$"}).Add("End");
    ExpectFailure(both, 0, "Variable not defined: $B$");
    ScriptBuilder empty;
    empty.Add("Else If", {"", "0", "1"});
    ExpectFailure(empty, 0, "Variable required");
    for (const char* command : {"Convert Path", "Extract Path", "Replace String"}) {
        ScriptBuilder b;
        b.Add(command, {"PATHVAR"});
        ExpectFailure(b, 0, std::string("Variable not defined: PATHVAR"));
    }
    ScriptBuilder declared;
    declared.Add("Parse String", {"a.b", ".", "first", "SECOND"}).Add("Extract Path", {"FIRST", "0"});
    declared.Add("Mathematics", {"1", "2", "0", "sum"}).Add("Replace String", {"Sum", "1", "2"});
    declared.Add("Read from Text File", {"f", "LINE", "EOF"}).Add("Convert Path", {"eof", "TRUE"});
    EXPECT_TRUE(Check(declared).ok());
}

TEST(CheckScriptTest, RequiredParametersAndCommandRules) {
    ScriptBuilder dialog;
    dialog.Add("Display Dialog", {""});
    ExpectFailure(dialog, 0, "Dialog name not specified");
    ScriptBuilder bound;
    bound.Add("Display Dialog", {"Welcome", "RESULT", "", "$NOPE$"});
    ExpectFailure(bound, 0, "Variable not defined: $NOPE$");
    ScriptBuilder search;
    search.Add("Find All Files", {"C:\\*.txt", "TRUE", "FALSE", ""});
    ExpectFailure(search, 0, "Variable required");
    ScriptBuilder space;
    space.Add("Check Disk Space", {""});
    ExpectFailure(space, 0, "Variable required");
    ScriptBuilder installed;
    installed.Add("Is MSI Setup Installed", {"{CODE}", ""});
    ExpectFailure(installed, 0, "Variable required");
    ScriptBuilder deleting;
    deleting.Add("Delete Files", {"C:\\x", "", "FALSE", "0"});
    ExpectFailure(deleting, 0, "At least one delete mode must be selected");
    ScriptBuilder files;
    files.Add("Install Files", {"a", "b", ""});
    ExpectFailure(files, 0,
                  "A target folder must be specified for files that are being installed.\r"
                  "The value $TARGETDIR$ represents the destination folder chosen by the user.");
}

TEST(CheckScriptTest, WebMediaBlocks) {
    ScriptBuilder backslash;
    backslash.Add("Web Media Block", {"Media\\Block1", "http://example.test/b.7z"});
    EXPECT_TRUE(Check(backslash).ok());
    ScriptBuilder star;
    star.Add("Web Media Block", {"Block*", "http://example.test/b.7z"});
    ExpectFailure(star, 0, "Web Media Block name must be a legal file name");
    ScriptBuilder noUrl;
    noUrl.Add("Web Media Block", {"Block?", ""});
    ExpectFailure(noUrl, 0, "Web Media Block must have a download URL");
}

TEST(CheckScriptTest, WizardLoopsHoldOnlyDialogs) {
    ScriptBuilder b;
    b.Add("Wizard Loop").Add("Display Dialog", {"A"}).Commented("If", {"X"}).Add("Comment").Add("Ignore");
    b.Add("End");
    EXPECT_TRUE(Check(b).ok());
    ScriptBuilder bad;
    bad.Add("Wizard Loop").Add("Display Dialog", {"A"}).Add("If", {"TITLE", "0", "x"}).Add("End").Add("End");
    ExpectFailure(bad, 2, "Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP");
}

TEST(CheckScriptTest, ExecutionStates) {
    ScriptBuilder b;
    b.Add("Write Registry").Add("Set Variable", {"A", "1"}).Commented("Create Folder").Add("Install Files", {"", "", "$TARGETDIR$"});
    ASSERT_TRUE(Check(b).ok());
    EXPECT_EQ(ExecutionStates(), (std::vector<std::string>{"FALSE", "SKIP", "SKIP", "FALSE"}));
}

}  // namespace
