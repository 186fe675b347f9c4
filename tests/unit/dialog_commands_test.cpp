#include <gtest/gtest.h>

#include "core/StartupValues.h"
#include "dialogs/DialogPlacement.h"
#include "dialogs/HostDialogs.h"
#include "core/VariableStore.h"
#include "script/mscriptexec.h"
#include "support/ScriptBuilder.h"
#include "system/HostMessageBoxes.h"

namespace {

using Calls = std::vector<std::string>;

class DialogCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Startup() = StartupValues{};
        HostBoxes().Reset();
        HostDialogState() = HostDialogs{};
    }

    void Answer(int result, const std::string& text = "") { HostDialogState().answers.push_back({result, text, 0}); }

    std::string Run() {
        RunScript(b.script(), ScriptBuilder::PackagePath(), nullptr);
        return LastScriptErrorReport();
    }
    const Calls& calls() const { return HostDialogState().calls; }

    ScriptBuilder b;
};

TEST_F(DialogCommandsTest, WizardLoopWalksWithResultsDirectionAndCustomExit) {
    // Keys are command indexes: the dialogs sit at 1, 2 and 3.
    b.Add("Wizard Loop");
    b.Add("Display Dialog", {"one", "R1", "FALSE", "", "TRUE", "FALSE"});  // modeless asked, modal in a loop
    b.Add("Display Dialog", {"two", "R2", "TRUE", "", "TRUE", "FALSE"});
    b.Add("Display Dialog", {"three", "R3", "TRUE", "", "TRUE", "FALSE"});
    b.Add("End");
    Answer(6);
    Answer(6);
    Answer(7);
    Answer(6);
    Answer(8, "finish");
    ASSERT_EQ(Run(), "");
    EXPECT_EQ(GetVariable("R1"), "NEXT");
    EXPECT_EQ(GetVariable("R2"), "NEXT");
    EXPECT_EQ(GetVariable("R3"), "FINISH");
    EXPECT_EQ(GetVariable("WINDOWHANDLE"), "0");
    // Each display releases the modal dialog before it; a custom exit keeps
    // the direction, so the loop goes on forward and leaves at its end.
    EXPECT_EQ(calls(), (Calls{"prepare 1", "show 1 modal", "release 1", "prepare 2", "show 2 modal",
                              "release 2", "prepare 3", "show 3 modal", "release 3", "prepare 2",
                              "show 2 modal", "release 2", "prepare 3", "show 3 modal"}));
}

TEST_F(DialogCommandsTest, ModelessDialogOwnsTheWindowHandleUntilHiddenOrReplaced) {
    b.Add("Display Dialog", {"progress", "R", "FALSE", "", "TRUE", "FALSE"});
    b.Add("Set Variable", {"SEEN", "$WINDOWHANDLE$"});
    b.Add("Hide Dialog");
    b.Add("Set Variable", {"AFTERHIDE", "$WINDOWHANDLE$"});
    b.Add("Display Dialog", {"progress", "", "FALSE", "", "TRUE", "FALSE"});
    b.Add("Display Dialog", {"finish", "F", "TRUE", "", "TRUE", "FALSE"});
    ASSERT_EQ(Run(), "");
    EXPECT_EQ(GetVariable("R"), "NOTMODAL");
    EXPECT_EQ(GetVariable("SEEN"), "4242");
    EXPECT_EQ(GetVariable("AFTERHIDE"), "0");
    EXPECT_EQ(GetVariable("F"), "NEXT");
    EXPECT_EQ(GetVariable("WINDOWHANDLE"), "0");
    // The modeless window stops repainting while the next dialog is prepared.
    EXPECT_EQ(calls(), (Calls{"prepare 0", "show 0 modeless", "hide temp", "prepare 4", "show 4 modeless",
                              "freeze 4242", "prepare 5", "unfreeze 4242", "show 5 modal"}));
}

TEST_F(DialogCommandsTest, ConditionVariableSkipsAndAMissingOneIsAScriptError) {
    b.Add("Set Variable", {"PERSONALIZED", "FALSE"});
    b.Add("Display Dialog", {"user", "R", "TRUE", "$PERSONALIZED$", "TRUE", "FALSE"});
    b.Add("Set Variable", {"PERSONALIZED", "TRUE"});
    b.Add("Display Dialog", {"user", "S", "TRUE", "PERSONALIZED", "TRUE", "FALSE"});
    ASSERT_EQ(Run(), "");
    EXPECT_FALSE(VariableExists("R"));
    EXPECT_EQ(GetVariable("S"), "NEXT");
    EXPECT_EQ(calls(), (Calls{"prepare 3", "show 3 modal"}));

    // The script check refuses a condition variable nothing defines: the
    // run never starts.
    b = ScriptBuilder();
    b.Add("Display Dialog", {"user", "R", "TRUE", "$NOSUCH$", "TRUE", "FALSE"});
    HostDialogState().calls.clear();
    Run();
    EXPECT_TRUE(calls().empty());
}

TEST_F(DialogCommandsTest, SilentRunStoresNextAndWalksForward) {
    Startup().silent = true;
    b.Add("Wizard Loop");
    b.Add("Display Dialog", {"one", "R1", "TRUE", "", "TRUE", "FALSE"});
    b.Add("Display Dialog", {"two", "R2", "TRUE", "", "TRUE", "FALSE"});
    b.Add("End");
    b.Add("Set Variable", {"AFTER", "yes"});
    ASSERT_EQ(Run(), "");
    EXPECT_EQ(GetVariable("R1"), "NEXT");
    EXPECT_EQ(GetVariable("R2"), "NEXT");
    EXPECT_EQ(GetVariable("AFTER"), "yes");
    EXPECT_TRUE(calls().empty());
}

TEST_F(DialogCommandsTest, CancelStopsTheLoop) {
    b.Add("Wizard Loop");
    b.Add("Display Dialog", {"one", "R1", "TRUE", "", "TRUE", "FALSE"});
    b.Add("Display Dialog", {"two", "R2", "TRUE", "", "TRUE", "FALSE"});
    b.Add("End");
    Answer(2);
    ASSERT_EQ(Run(), "");
    EXPECT_EQ(GetVariable("R1"), "CANCEL");
    EXPECT_FALSE(VariableExists("R2"));
}

TEST(DialogPlacementTest, SameSizeKeepsThePlaceAnotherSizeIsCentred) {
    PlacementMemory placement;
    EXPECT_TRUE(placement.ShouldCentre(400, 300));
    placement.Remember(17, 23);
    EXPECT_FALSE(placement.ShouldCentre(400, 300));
    EXPECT_EQ(placement.Left(), 17);
    EXPECT_EQ(placement.Top(), 23);
    EXPECT_TRUE(placement.ShouldCentre(500, 300));
    EXPECT_FALSE(placement.ShouldCentre(500, 300));
}

TEST(DialogPlacementTest, ProgressBeyondTwoToTheThirtyFirstIsScaled) {
    const BarProgress big = ScaleForProgressBar({"", 0, 3'000'000'000LL, 1'500'000'000LL});
    EXPECT_EQ(big.maximum, 2'929'687);
    EXPECT_EQ(big.position, 1'464'843);
    const BarProgress edge = ScaleForProgressBar({"", 0, 2'147'483'647LL, 5});
    EXPECT_EQ(edge.maximum, 2'147'483'647LL);
    EXPECT_EQ(edge.position, 5);
    EXPECT_EQ(ScaleForProgressBar({"", 0, 2'147'483'648LL, 0}).maximum, 2'097'152);
}

}  // namespace
