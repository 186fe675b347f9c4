#include "script/Condition.h"

#include "script/Translation.h"
#include "script/VariableStore.h"
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

bool EvaluateCondition(const Script& script, const std::string& commandId) {
    std::string left = GetParameter(script.ParameterBlocks, commandId, 1);
    const std::string code = GetParameter(script.ParameterBlocks, commandId, 2);
    std::string right = GetParameter(script.ParameterBlocks, commandId, 3);
    const bool negate = TextToBool(GetParameter(script.ParameterBlocks, commandId, 4));
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
