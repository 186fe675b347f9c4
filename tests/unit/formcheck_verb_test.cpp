// The wizard forms through `orvanta check` and `orvanta build`: what the
// engine would leave out is a warning at its place (an error when asked),
// and what makes a page misbehave is an error before anything is built.
#include <gtest/gtest.h>


#include "support/FormFixtures.h"
#include "support/OrvantaShell.h"
#include "support/TempDir.h"

namespace {

const char* kHead =
    "ProductCode = {11111111-2222-3333-4444-555555555555}\nRevisionCode = {21111111-2222-3333-4444-555555555555}\n"
    "Support = support\n[script]\n";

std::string Display(const std::string& form) {
    return "Display Dialog\n  | " + form + "\n  | R\n  | TRUE\n  |\n  | TRUE\n  | FALSE\n";
}

// The designer's page shown in a wizard, ACCOUNT set by the script.
const std::string kWizard = std::string(kHead) + "Set Variable\n  | ACCOUNT\n  | me\n" +  // lines 5-7
                            "Wizard Loop\n" + Display("login") + "End\n";           // Display Dialog at line 9

class FormCheck : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("project.orv", kWizard);
        std::filesystem::create_directories(dir.path() / "support");
        Form("login", fixtures::TestFormText("designer"));
        dir.write("support/login.dfm.kebf", "");
    }
    void Form(const std::string& name, const std::string& text) { dir.write("support/" + name + ".dfm", text); }
    std::pair<std::string, int> Check(const std::string& options = "") {
        return Shell(OrvantaProgram() + " check " + options + " " + dir.path().string());
    }
    std::string Login() const { return dir.file("support/login.dfm"); }
    std::string Project() const { return dir.file("project.orv"); }
    static bool Has(const std::string& text, const std::string& line) { return text.find(line + "\n") != std::string::npos; }

    TempDir dir;
};

TEST_F(FormCheck, WhatTheEngineLeavesOutIsAWarningAtItsLine) {
    auto [text, status] = Check();
    EXPECT_EQ(status, 0) << text;
    EXPECT_TRUE(Has(text, Login() + ":20: warning: TLoginForm LoginForm has no property LCLVersion (left out when shown)"))
        << text;
    EXPECT_TRUE(Has(text, Login() + ":28: warning: TLabel TitleLabel has no property BorderSpacing.Around (left out when shown)"));
    EXPECT_TRUE(Has(text, Login() + ":34: warning: unknown class TPanelEx (CardPanel) (left out when shown)"));
    EXPECT_TRUE(Has(text, Login() + ":92: warning: TButton NextButton has no property AutoSize (left out when shown)"));
    EXPECT_NE(text.find("Script compiled successfully"), std::string::npos);

    std::tie(text, status) = Check("--strict-forms");
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(Has(text, Login() + ":20: TLoginForm LoginForm has no property LCLVersion (left out when shown)")) << text;
    EXPECT_EQ(text.find("Script compiled successfully"), std::string::npos);
}

TEST_F(FormCheck, ABinaryFormIsNamedByFileAndComponent) {
    const std::string source = dir.write("login.txt", fixtures::TestFormText("designer"));
    ASSERT_EQ(Shell(OrvantaProgram() + " form " + source + " -o " + Login()).second, 0);
    auto [text, status] = Check();
    EXPECT_EQ(status, 0) << text;
    EXPECT_TRUE(Has(text, Login() + ": warning: TLoginForm LoginForm has no property LCLVersion (left out when shown)"))
        << text;
    EXPECT_TRUE(Has(text, Login() + ": warning: unknown class TPanelEx (CardPanel) (left out when shown)"));
}

TEST_F(FormCheck, ABindingToAVariableNothingDefinesIsAnErrorAtItsHint) {
    std::string text = fixtures::TestFormText("designer");
    text.replace(text.find("'TARGETDIR'"), 11, "'TARGETDIRR'");
    Form("login", text);
    auto [output, status] = Check();
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(Has(output, Login() + ":80: TEdit FolderEdit is bound to TARGETDIRR, a variable that no command "
                                      "defines or uses and the engine does not predefine"))
        << output;
    // Build refuses it too, before building anything.
    const auto [built, buildStatus] = Shell(OrvantaProgram() + " build " + dir.path().string() + " -o " + dir.file("out"));
    EXPECT_EQ(buildStatus, 1);
    EXPECT_NE(built.find("TARGETDIRR"), std::string::npos) << built;
    // A variable the script uses is one it expects the dialog to write.
    dir.write("project.orv", kWizard + "Write to Text File\n  | $TEMPDIR$x.txt\n  | $TARGETDIRR$\n  | FALSE\n");
    EXPECT_EQ(Check().second, 0);
}

TEST_F(FormCheck, AMissingFormOrRulesFileIsAnErrorAtTheCommand) {
    dir.write("project.orv", kWizard + Display("nowhere"));
    auto [text, status] = Check();
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(Has(text, Project() + ":17: the dialog form nowhere.dfm is not in the support folder")) << text;

    dir.write("project.orv", kWizard);
    std::filesystem::remove(dir.path() / "support" / "login.dfm.kebf");
    std::tie(text, status) = Check();
    EXPECT_EQ(status, 1);
    EXPECT_NE(text.find(Project() + ":9: the rules file login.dfm.kebf is not in the support folder"), std::string::npos)
        << text;
}

TEST_F(FormCheck, AnUnreadableFormIsAnErrorWithItsPlace) {
    Form("login", "object LoginForm: TLoginForm\n  Left = 'open\nend\n");
    auto [text, status] = Check();
    EXPECT_EQ(status, 1);
    EXPECT_NE(text.find(Login() + ": invalid form text at line 2"), std::string::npos) << text;
}

TEST_F(FormCheck, RulesNamingAControlOrPropertyTheFormLacksAreErrorsAtTheirLine) {
    dir.write("support/login.dfm.kebf",
              "xxxxNameEdit.Text = me)  THEN  NextButton.Enabled := True;\n"
              "xxxxNameEdt.Text = me)  THEN  NextButton.Enabled := True;\n"
              "xxxxNameEdit.Text = me)  THEN  NextButton.Colour := clRed;\n");
    auto [text, status] = Check();
    EXPECT_EQ(status, 1);
    const std::string rules = Login() + ".kebf";
    EXPECT_TRUE(Has(text, rules + ":2: the rule names NameEdt, which login.dfm does not hold")) << text;
    EXPECT_TRUE(Has(text, rules + ":3: the rule names NextButton.Colour, but TButton NextButton has no property Colour"));
    EXPECT_EQ(text.find(rules + ":1:"), std::string::npos);
}

TEST_F(FormCheck, AWizardPageWithoutNextOrCancelIsAWarningAtItsCommand) {
    Form("bare", "object Bare: TForm\n  Caption = 'Bare'\n  object Back: TButton\n    Caption = '< Back'\n    Tag = 2\n"
                 "  end\nend\n");
    dir.write("support/bare.dfm.kebf", "");
    dir.write("project.orv", std::string(kHead) + "Set Variable\n  | ACCOUNT\n  | me\n" + "Wizard Loop\n" +
                                 Display("bare") + "End\n" + Display("bare"));
    auto [text, status] = Check();
    EXPECT_EQ(status, 0) << text;
    EXPECT_TRUE(Has(text, Project() + ":9: warning: the wizard page bare.dfm has no Next button (a button, "
                                                   "label or image with Tag 1)"))
        << text;
    EXPECT_TRUE(Has(text, Project() + ":9: warning: the wizard page bare.dfm has no Cancel button (a button, "
                                                   "label or image with Tag 3)"));
    // Outside a wizard loop a page needs neither.
    EXPECT_EQ(text.find(Project() + ":17:"), std::string::npos);
}

}  // namespace
