#include "dialogs/DialogRules.h"

namespace {

constexpr const char* kThen = ")  THEN  ";

// The text of `text` from `from` up to `delimiter`; advances `from` past it.
std::optional<std::string> Until(const std::string& text, size_t& from, const std::string& delimiter) {
    const size_t at = text.find(delimiter, from);
    if (at == std::string::npos) return std::nullopt;
    std::string part = text.substr(from, at - from);
    from = at + delimiter.size();
    return part;
}

std::string Resolve(const std::string& value, const RuleControls& controls) {
    const size_t dot = value.find('.');
    if (dot == std::string::npos) return value;
    return controls.read(value.substr(0, dot), value.substr(dot + 1)).value_or(value);
}

}  // namespace

std::optional<DialogRule> ParseDialogRule(const std::string& line) {
    if (line.size() <= 4) return std::nullopt;
    const std::string rest = line.substr(4);
    size_t at = 0;
    const auto condition = Until(rest, at, kThen);
    auto target = condition ? Until(rest, at, ".") : std::nullopt;
    auto targetProperty = target ? Until(rest, at, " := ") : std::nullopt;
    auto targetValue = targetProperty ? Until(rest, at, ";") : std::nullopt;
    if (!targetValue) return std::nullopt;
    // The operator is the first one after the property, in the condition only:
    // the action's value is free text.
    size_t from = 0;
    auto component = Until(*condition, from, ".");
    if (!component) return std::nullopt;
    DialogRule rule;
    rule.unequal = condition->find(" <> ", from) < condition->find(" = ", from);
    auto property = Until(*condition, from, rule.unequal ? " <> " : " = ");
    if (!property) return std::nullopt;
    rule.conditionComponent = *component;
    rule.conditionProperty = *property;
    rule.conditionValue = condition->substr(from);
    rule.targetComponent = *target;
    rule.targetProperty = *targetProperty;
    rule.targetValue = *targetValue;
    return rule;
}

void EvaluateDialogRules(const std::vector<std::string>& rules, const RuleControls& controls) {
    for (const std::string& line : rules) {
        const std::optional<DialogRule> rule = ParseDialogRule(line);
        if (!rule) continue;
        const std::string expected = Resolve(rule->conditionValue, controls);
        const std::string actual = controls.read(rule->conditionComponent, rule->conditionProperty).value_or("");
        if ((actual == expected) == rule->unequal) continue;
        controls.write(rule->targetComponent, rule->targetProperty, Resolve(rule->targetValue, controls));
    }
}
