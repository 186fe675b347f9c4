#include <gtest/gtest.h>

#include <deque>
#include <random>

#include "script/CommandTable.h"
#include "core/InterpreterHooks.h"
#include "support/ScriptRunTest.h"
#include "system/Files.h"
#include "system/HostMessageBoxes.h"
#include "system/WideText.h"

namespace {

// A "Display Dialog" stand-in that records the dialogs shown and answers
// with programmed choices: 'N'ext, 'B'ack, 'C'ancel.
struct Dialogs {
    std::vector<std::string> shown;
    std::deque<char> choices;
};

Dialogs& TheDialogs() {
    static Dialogs dialogs;
    return dialogs;
}

void ShowTestDialog(CommandContext& c) {
    TheDialogs().shown.push_back(c.Raw(1));
    if (TheDialogs().choices.empty() || !c.control().wizardActive) return;
    const char choice = TheDialogs().choices.front();
    TheDialogs().choices.pop_front();
    c.control().wizardDirection = choice == 'N' ? 1 : choice == 'B' ? -1 : 0;
}

class InterpreterTest : public ScriptRunTest {
protected:
    void SetUp() override {
        ScriptRunTest::SetUp();
        HostBoxes().Reset();
        TheDialogs() = {};
        EngineCommands().Register("Display Dialog", ShowTestDialog);
    }

    // Appends text to the variable T.
    ScriptBuilder& Trace(const std::string& text) { return b.Add("Set Variable", {"T", "$T$" + text}); }
    ScriptBuilder& If(const std::string& variable, const std::string& code, const std::string& value,
                      const std::string& negate = "FALSE") {
        return b.Add("If", {variable, code, value, negate});
    }
    ScriptBuilder& ElseIf(const std::string& variable, const std::string& code, const std::string& value) {
        return b.Add("Else If", {variable, code, value, "FALSE"});
    }

    // Runs the script; returns the trace T.
    std::string Run() {
        RunScript(b.script(), ScriptBuilder::PackagePath(), nullptr);
        return VariableExists("T") ? GetVariable("T") : "<no T>";
    }
};

TEST_F(InterpreterTest, EmptyScriptEndsAtOnce) {
    Run();
    EXPECT_EQ(LastScriptErrorReport(), "");
}

TEST_F(InterpreterTest, ElseIfRunsOnlyTheFirstTrueBranch) {
    b.Add("Set Variable", {"T", ""}).Add("Set Variable", {"C", "2"});
    // An earlier chain, taken.
    If("C", "0", "2");
    Trace("first");
    b.Add("End");
    // The chain of interest, nested in a taken branch.
    If("C", "2", "1");
    for (const std::string c : {"1", "2", "3"}) {
        If("C", "0", "1");
        Trace("a" + c);
        ElseIf("C", "0", "2");
        Trace("b" + c);
        ElseIf("C", "0", c);
        Trace("c" + c);
        b.Add("Else");
        Trace("d" + c);
        b.Add("End");
    }
    b.Add("End");
    Trace("z");
    EXPECT_EQ(Run(), "firstb1b2b3z");
    EXPECT_EQ(LastScriptErrorReport(), "");
}

TEST_F(InterpreterTest, SkippedBranchesPassNestedChainsAndCommentedBlocks) {
    b.Add("Set Variable", {"T", ""}).Add("Set Variable", {"C", "1"});
    If("C", "0", "2");  // false
    If("C", "0", "1");  // nested, never evaluated
    Trace("x");
    b.Add("Else");
    Trace("y");
    b.Add("End");
    b.Commented("If", {"C", "0", "1", ""});
    Trace("w");
    b.Add("Else");
    Trace("e");
    b.Commented("End");
    b.Add("End");
    If("C", "0", "1");  // true; its Else branch is skipped to End
    Trace("t");
    b.Add("Else");
    Trace("u");
    b.Add("End");
    EXPECT_EQ(Run(), "et");
}

TEST_F(InterpreterTest, PassedOverCommandsAndTheLastCommentedCommand) {
    b.Add("Set Variable", {"T", ""});
    Trace("a");
    b.Add("Ignore", {"T", "ignored"});
    b.Add("Comment");
    b.Add("Label", {"unused"});
    b.Add("Code Folding Region");
    Trace("b");
    b.Commented("Set Variable", {"T", "last"});
    EXPECT_EQ(Run(), "ab");
}

TEST_F(InterpreterTest, ChainWithoutItsEndIsAScriptError) {
    Startup().silent = false;
    b.Add("End").Add("Set Variable", {"C", "1"});
    If("C", "0", "2");
    Trace("never");
    Run();
    ASSERT_EQ(HostBoxes().shown.size(), 1u);
    EXPECT_EQ(HostBoxes().shown[0].caption, "Orvanta");
    EXPECT_EQ(HostBoxes().shown[0].style, unsigned(kMbIconError));
    EXPECT_EQ(HostBoxes().shown[0].owner, 0u);
    EXPECT_TRUE(HostBoxes().shown[0].text.starts_with("Runtime error in setup script:\r\rLine 3: "))
        << HostBoxes().shown[0].text;
}

TEST_F(InterpreterTest, SkipToAFinalElseEndsTheRun) {
    // Balanced for the check (one If, one End), but the chain's End comes first.
    b.Add("End").Add("Set Variable", {"C", "1"});
    If("C", "0", "2");
    b.Add("Else");
    std::vector<int> positions;
    RunScript(b.script(), ScriptBuilder::PackagePath(), [&](int position) {
        positions.push_back(position);
        return true;
    });
    EXPECT_EQ(positions, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(LastScriptErrorReport(), "");
}

TEST_F(InterpreterTest, ScriptErrorReportNamesTheLine) {
    Startup().silent = false;
    b.Add("Set Variable", {"T", "before"});
    b.Add("Parse String", {"abc", "b", "A", "B", "x"});
    b.Add("Set Variable", {"T", "after"});
    EXPECT_EQ(Run(), "before");
    ASSERT_EQ(HostBoxes().shown.size(), 1u);
    EXPECT_EQ(HostBoxes().shown[0].text, "Runtime error in setup script:\r\rLine 2: 'x' is not a valid integer value");
}

TEST_F(InterpreterTest, SilentRunsReportWithoutABox) {
    b.Add("Parse String", {"abc", "b", "A", "B", "x"});
    Run();
    EXPECT_TRUE(HostBoxes().shown.empty());
    EXPECT_EQ(LastScriptErrorReport(), "Runtime error in setup script:\r\rLine 1: 'x' is not a valid integer value");
}

// A deployment tool reads the exit code and the log: a run a script error
// ended is a failure there, in both.
TEST_F(InterpreterTest, AScriptErrorEndsTheRunWith1603AndALogLine) {
    Startup().logFile = Path("logs/setup.log");
    CreateFolderTree(Path("logs"));
    WriteFileText(Startup().logFile, Utf16LeFromAnsi("installer line\r\n"));
    b.Add("Set Variable", {"T", "before"}).Add("Parse String", {"abc", "b", "A", "B", "x"});
    EXPECT_EQ(Run(), "before");
    EXPECT_EQ(Startup().exitCode, kRunFailedExitCode);
    EXPECT_EQ(ReadFileText(Startup().logFile).value_or(""),
              Utf16LeFromAnsi("installer line\r\nOrvanta: Runtime error in setup script: Line 2: 'x' is not a valid "
                              "integer value\r\n"));

    // A run without an error keeps the code it had; one that set its own keeps that.
    ScriptBuilder clean;
    clean.Add("Set Variable", {"T", "clean"});
    Startup().exitCode = 0;
    RunScript(clean.script(), ScriptBuilder::PackagePath(), nullptr);
    EXPECT_EQ(Startup().exitCode, 0);
    ScriptBuilder chosen;
    chosen.Add("Terminate with Exit Code", {"0"});
    RunScript(chosen.script(), ScriptBuilder::PackagePath(), nullptr);
    EXPECT_EQ(Startup().exitCode, 0);
}

// A script the check refuses runs none of its commands, and the run is a
// failure: the check's reason in a box, or in a silent run in the log, and
// exit code 1603.
TEST_F(InterpreterTest, AFailingCheckRunsNothingAndEndsWith1603) {
    Startup().silent = false;
    If("TARGETDIR", "0", "x");
    Trace("never");
    Startup().exitCode = 0;
    Run();
    EXPECT_FALSE(VariableExists("T"));
    EXPECT_EQ(Startup().exitCode, kRunFailedExitCode);
    ASSERT_EQ(HostBoxes().shown.size(), 1u);
    EXPECT_EQ(HostBoxes().shown[0].text, "Runtime error in setup script:\r\rLine 2: Insufficient END statements");

    Startup().silent = true;
    Startup().logFile = Path("check.log");
    Startup().exitCode = 0;
    Run();
    EXPECT_EQ(HostBoxes().shown.size(), 1u);
    EXPECT_EQ(Startup().exitCode, kRunFailedExitCode);
    EXPECT_EQ(ReadFileText(Startup().logFile).value_or(""),
              Utf16LeFromAnsi("Orvanta: Runtime error in setup script: Line 2: Insufficient END statements\r\n"));
}

TEST_F(InterpreterTest, WizardNavigatesForwardAndBack) {
    b.Add("Set Variable", {"T", ""}).Add("Wizard Loop");
    b.Add("Display Dialog", {"Welcome"}).Add("Comment").Add("Display Dialog", {"Licence"});
    b.Commented("Display Dialog", {"Hidden"});
    b.Add("Display Dialog", {"Folder"}).Add("End");
    Trace("after");
    TheDialogs().choices = {'N', 'B', 'N', 'N', 'N'};
    EXPECT_EQ(Run(), "after");
    EXPECT_EQ(TheDialogs().shown, (std::vector<std::string>{"Welcome", "Licence", "Welcome", "Licence", "Folder"}));
}

TEST_F(InterpreterTest, BackFromTheFirstDialogAndCancelLeaveTheLoop) {
    b.Add("Set Variable", {"T", ""}).Add("Set Variable", {"C", "1"});
    If("C", "0", "1");
    b.Add("Wizard Loop").Add("Display Dialog", {"One"}).Add("Display Dialog", {"Two"}).Add("End");
    Trace("in");  // the loop's End does not close the If
    b.Add("Wizard Loop").Add("Display Dialog", {"Three"}).Add("Display Dialog", {"Four"}).Add("End");
    b.Add("Else");
    Trace("else");
    b.Add("End");
    Trace("out");
    TheDialogs().choices = {'B', 'N', 'C'};
    EXPECT_EQ(Run(), "inout");
    EXPECT_EQ(TheDialogs().shown, (std::vector<std::string>{"One", "Three", "Four"}));
}

TEST_F(InterpreterTest, GoToLabelRepeatsAndIgnoresCase) {
    b.Add("Set Variable", {"T", ""}).Add("Set Variable", {"N", "0"});
    b.Add("Label", {"Again"});
    b.Add("Mathematics", {"$N$", "1", "0", "N"});
    Trace("$N$");
    If("N", "2", "2", "TRUE");  // N <= 2: once more, jumping out of the chain
    b.Add("GoTo Label", {"aGAIN"});
    b.Add("End");
    Trace("!");
    EXPECT_EQ(Run(), "123!");
}

TEST_F(InterpreterTest, GoToLabelInsideSkippedCheckPassesWhenCommentedOut) {
    b.Add("Set Variable", {"T", ""});
    b.Add("GoTo Label", {"end"});
    Trace("skipped");
    b.Commented("Label", {"END"});
    Trace("landed");
    EXPECT_EQ(Run(), "landed");
}

TEST_F(InterpreterTest, TerminatingCommandsEndTheRun) {
    b.Add("Set Variable", {"T", "a"}).Add("Set Variable", {"CODE", "16"});
    b.Add("Terminate with Exit Code", {"$CODE$02"});
    Trace("never");
    EXPECT_EQ(Run(), "a");
    EXPECT_EQ(Startup().exitCode, 1602);
}

TEST_F(InterpreterTest, StepCallbackSeesPositionsAndCanStop) {
    b.Add("Set Variable", {"T", "a"}).Add("Comment");
    Trace("b");
    Trace("c");
    std::vector<int> positions;
    RunScript(b.script(), ScriptBuilder::PackagePath(), [&](int position) {
        positions.push_back(position);
        return position < 3;
    });
    EXPECT_EQ(GetVariable("T"), "a");  // stopped before command 3
    EXPECT_EQ(positions, (std::vector<int>{1, 2, 3}));
}

TEST_F(InterpreterTest, ProgressAndCancelReachTheDialogRuntime) {
    std::vector<std::pair<std::string, int>> shown;
    bool cancel = false;
    Hooks().dialogShowing = [] { return true; };
    Hooks().showProgress = [&](const std::string& text, int percent) { shown.emplace_back(text, percent); };
    Hooks().cancelRequested = [&] { return cancel; };
    b.Add("Set Variable", {"PROGRESSTEXT", "Copying"}).Add("Set Variable", {"PROGRESS", "40"});
    b.Add("Set Variable", {"SEEN", "$ABORT$"}).Add("Set Variable", {"PROGRESS", "40"});
    b.Add("Set Variable", {"PROGRESS", "not a number"}).Add("Set Variable", {"T", "never"});
    cancel = true;
    Run();
    Hooks() = InterpreterHooks{};
    EXPECT_EQ(GetVariable("SEEN"), "TRUE");
    // Shown on every change from what was last shown (initially "" and 0).
    EXPECT_EQ(shown, (std::vector<std::pair<std::string, int>>{{"Copying", 0}, {"Copying", 40}}));
    EXPECT_EQ(LastScriptErrorReport(), "Runtime error in setup script:\r\rLine 6: 'not a number' is not a valid integer value");
    EXPECT_FALSE(VariableExists("T"));
}

TEST_F(InterpreterTest, SilentFlagFollowsTheVariable) {
    Startup().silent = false;
    b.Add("Set Variable", {"SILENT", "TRUE"});
    b.Add("MessageBox", {"Caption", "Text", "0", "1", "ANSWER"});
    Run();
    EXPECT_TRUE(HostBoxes().shown.empty());
    EXPECT_FALSE(VariableExists("ANSWER"));
}

// Random nested chains, wizard loops, commented commands and jumps: every
// run ends, normally or with a script error, and never steps outside the script.
class RandomScript {
public:
    explicit RandomScript(unsigned seed) : random_(seed) {}

    const Script& Make() {
        b_ = ScriptBuilder();
        b_.Add("Set Variable", {"C", "1"});
        Body(0);
        return b_.script();
    }

private:
    bool Chance(unsigned percent) { return random_() % 100 < percent; }
    void Add(const std::string& name, const std::vector<std::string>& parameters = {}) {
        if (Chance(8)) b_.Commented(name, parameters);
        else b_.Add(name, parameters);
    }
    std::string Label() { return std::string(1, char('A' + random_() % 3)); }

    void Body(int depth) {
        for (unsigned n = random_() % 4; n > 0; --n) {
            switch (random_() % 7) {
            case 0: Add("Set Variable", {"C", Chance(50) ? "1" : "0"}); break;
            case 1: Add(Chance(50) ? "Comment" : "Ignore"); break;
            case 2:
                if (depth == 0) Add("Label", {Label()});
                else Add("GoTo Label", {Label()});
                break;
            case 3:
                if (depth == 0) {
                    Add("Wizard Loop");
                    for (unsigned d = random_() % 4; d > 0; --d) Add("Display Dialog", {"D"});
                    Add("End");
                }
                break;
            default:
                if (depth < 3) Chain(depth);
            }
        }
    }

    void Chain(int depth) {
        const auto condition = [&] { return std::vector<std::string>{"C", "0", Chance(50) ? "1" : "0", ""}; };
        Add("If", condition());
        Body(depth + 1);
        for (unsigned n = random_() % 3; n > 0; --n) {
            Add("Else If", condition());
            Body(depth + 1);
        }
        if (Chance(50)) {
            Add("Else");
            Body(depth + 1);
        }
        Add("End");
    }

    std::mt19937 random_;
    ScriptBuilder b_;
};

TEST_F(InterpreterTest, RandomScriptsAlwaysEnd) {
    RandomScript generator(4242);
    int ran = 0;
    for (int round = 0; round < 3000; ++round) {
        const Script& script = generator.Make();
        TheDialogs().choices = {'N', 'B', 'C', 'N', 'B', 'N', 'N', 'C', 'N', 'N', 'N'};
        int steps = 0;
        RunScript(script, ScriptBuilder::PackagePath(), [&](int position) {
            EXPECT_GE(position, 1);
            EXPECT_LE(position, static_cast<int>(script.size()));
            return ++steps < 300;
        });
        if (steps > 1) ++ran;
    }
    EXPECT_GT(ran, 800);
}

}  // namespace
