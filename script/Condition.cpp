#include "script/Condition.h"

#include "script/CommandTable.h"
#include "core/Translations.h"
#include "core/VariableStore.h"
#include "system/TextUtils.h"

bool CompareValues(const std::string& left, const std::string& code, const std::string& right) {
    const auto leftNumber = ParseInt32(left), rightNumber = ParseInt32(right);
    if (leftNumber && rightNumber) {
        if (code == "0" || code == "1") return *leftNumber == *rightNumber;
        if (code == "2") return *leftNumber > *rightNumber;
        return false;
    }
    if (code == "0") return left == right;
    if (code == "1") return !right.empty() && left.find(right) != std::string::npos;
    // std::string compares bytes as unsigned characters, a prefix first.
    if (code == "2") return left > right;
    return false;
}

namespace {
bool Evaluate(const std::string& commandId, std::string left, const std::string& code, std::string right,
              bool negate) {
    if (TranslationActive()) {
        left = TranslateCommandText(commandId, 1, left);
        right = TranslateCommandText(commandId, 2, right);
    }
    const std::string leftName = StripReference(left);
    const std::string leftValue = GetVariable(leftName.empty() ? left : leftName);
    const std::string rightName = StripReference(right);
    const std::string rightValue = rightName.empty() ? right : GetVariable(rightName);
    return CompareValues(leftValue, code, rightValue) != negate;
}
}  // namespace

bool EvaluateCondition(const Script& script, const std::string& commandId) {
    const auto parameter = [&](size_t n) { return GetParameter(script.ParameterBlocks, commandId, n); };
    return Evaluate(commandId, parameter(1), parameter(2), parameter(3), TextToBool(parameter(4)));
}

bool EvaluateCondition(const CommandContext& command) {
    return Evaluate(command.id(), command.Raw(1), command.Raw(2), command.Raw(3), command.Flag(4));
}
