#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The rules of a dialog (its ".kebf" file, one rule per line) make controls
// depend on each other without code, for example
//
//   If (CheckBox1.Checked = True)  THEN  Button1.Enabled := True;
//
// The first four characters are a prefix of the author's tool and skipped;
// the operator is the first " = " or " <> " after the condition's property
// (the action's value may hold either); ")  THEN  " has two blanks each side.
// There is no else: a rule whose condition does not hold changes nothing.

struct DialogRule {
    std::string conditionComponent, conditionProperty, conditionValue;
    bool unequal = false;
    std::string targetComponent, targetProperty, targetValue;
};

// Nullopt for a line that is not a rule (blank, too short, a part missing).
std::optional<DialogRule> ParseDialogRule(const std::string& line);

// How the rules reach the controls of their dialog: a property of a control
// as text (nullopt when there is no such control or property), and a write.
struct RuleControls {
    std::function<std::optional<std::string>(const std::string& component, const std::string& property)> read;
    std::function<void(const std::string& component, const std::string& property, const std::string& value)> write;
};

// Evaluates the rules in order; a later rule sees what an earlier one set.
// A value naming Component.Property of a control stands for that property's
// current text; any other value is taken literally. Texts compare exactly.
void EvaluateDialogRules(const std::vector<std::string>& rules, const RuleControls& controls);
