#include <gtest/gtest.h>

#include <map>

#include "dialogs/DialogRules.h"

namespace {

// Controls as a map "Component.Property" -> text; component names compare
// case-insensitively as the dialog's do.
struct FakeDialog {
    std::map<std::string, std::string> properties;
    std::vector<std::string> writes;

    static std::string Key(std::string component, const std::string& property) {
        for (char& c : component) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return component + "." + property;
    }
    RuleControls Controls() {
        return {[this](const std::string& c, const std::string& p) -> std::optional<std::string> {
                    auto it = properties.find(Key(c, p));
                    if (it == properties.end()) return std::nullopt;
                    return it->second;
                },
                [this](const std::string& c, const std::string& p, const std::string& v) {
                    writes.push_back(c + "." + p + "=" + v);
                    properties[Key(c, p)] = v;
                }};
    }
};

TEST(DialogRulesTest, ParsesBothOperatorsAndRefusesFragments) {
    const auto rule = ParseDialogRule("If (CheckBox1.Checked <> True)  THEN  Button1.Enabled := False;");
    ASSERT_TRUE(rule);
    EXPECT_EQ(rule->conditionComponent, "CheckBox1");
    EXPECT_EQ(rule->conditionProperty, "Checked");
    EXPECT_TRUE(rule->unequal);
    EXPECT_EQ(rule->conditionValue, "True");
    EXPECT_EQ(rule->targetComponent, "Button1");
    EXPECT_EQ(rule->targetProperty, "Enabled");
    EXPECT_EQ(rule->targetValue, "False");
    EXPECT_FALSE(ParseDialogRule(""));
    EXPECT_FALSE(ParseDialogRule("If (CheckBox1.Checked = True) THEN Button1.Enabled := True;"));  // one blank
    EXPECT_FALSE(ParseDialogRule("If (CheckBox1.Checked = True)  THEN  Button1.Enabled := True"));  // no ";"
}

TEST(DialogRulesTest, TheOperatorIsTakenFromTheConditionOnly) {
    FakeDialog dialog;
    dialog.properties = {{"CHECKBOX1.Checked", "True"}, {"EDIT1.Text", "a = b"}};
    const std::vector<std::string> rules = {
        "If (CheckBox1.Checked = True)  THEN  Label1.Caption := a <> b;",
        "If (CheckBox1.Checked <> False)  THEN  Label2.Caption := x = y;",
        "If (Edit1.Text = a = b)  THEN  Label3.Caption := same <> other;",
        "If (Edit1.Text <> a = b)  THEN  Label4.Caption := never;",
    };
    const auto rule = ParseDialogRule(rules[0]);
    ASSERT_TRUE(rule);
    EXPECT_FALSE(rule->unequal);
    EXPECT_EQ(rule->conditionProperty, "Checked");
    EXPECT_EQ(rule->conditionValue, "True");
    EXPECT_EQ(rule->targetValue, "a <> b");
    EvaluateDialogRules(rules, dialog.Controls());
    EXPECT_EQ(dialog.writes,
              (std::vector<std::string>{"Label1.Caption=a <> b", "Label2.Caption=x = y", "Label3.Caption=same <> other"}));
}

TEST(DialogRulesTest, PairOfRulesFollowsTheCheckBoxAndLaterRulesSeeEarlierOnes) {
    FakeDialog dialog;
    dialog.properties = {{"CHECKBOX1.Checked", "False"}, {"BUTTON1.Enabled", "True"}, {"EDIT1.Text", "x"}};
    const std::vector<std::string> rules = {
        "If (CheckBox1.Checked = True)  THEN  Button1.Enabled := True;",
        "If (CheckBox1.Checked <> True)  THEN  Button1.Enabled := False;",
        "If (Button1.Enabled = False)  THEN  Edit1.Text := Button1.Enabled;",
    };
    EvaluateDialogRules(rules, dialog.Controls());
    EXPECT_EQ(dialog.writes, (std::vector<std::string>{"Button1.Enabled=False", "Edit1.Text=False"}));
    dialog.writes.clear();
    dialog.properties["CHECKBOX1.Checked"] = "True";
    EvaluateDialogRules(rules, dialog.Controls());
    EXPECT_EQ(dialog.writes, (std::vector<std::string>{"Button1.Enabled=True"}));
}

TEST(DialogRulesTest, MissingControlsReadEmptyAndDottedLiteralsStay) {
    FakeDialog dialog;
    const std::vector<std::string> rules = {
        "If (Nothing.Here = )  THEN  Edit1.Text := 1.5;",      // empty condition holds
        "If (Nothing.Here <> x)  THEN  Edit2.Text := done;",   // and differs from any other value
        "If (Nothing.Here = x)  THEN  Edit3.Text := never;",
        "If (Edit1.Text = 1.5)  THEN  Edit4.Text := true;",    // case-sensitive texts
        "If (Edit4.Text = True)  THEN  Edit5.Text := never;",
    };
    EvaluateDialogRules(rules, dialog.Controls());
    EXPECT_EQ(dialog.writes, (std::vector<std::string>{"Edit1.Text=1.5", "Edit2.Text=done", "Edit4.Text=true"}));
}

}  // namespace
