#pragma once
#include <string>

#include "script/Script.h"

// The comparison of an "If" or "Else If" command: parameter 1 names a
// variable (NAME or $NAME$), parameter 2 is the comparison code ("0" equals,
// "1" contains, "2" greater than), parameter 3 the right operand (literal or
// $NAME$), parameter 4 negates. Two values that both read as 32-bit integers
// compare as numbers, otherwise as byte texts. An undefined variable raises
// the store's ScriptError.
bool EvaluateCondition(const Script& script, const std::string& commandId);
// The same for the command being executed.
class CommandContext;
bool EvaluateCondition(const CommandContext& command);

// The comparison itself, on values already looked up.
bool CompareValues(const std::string& left, const std::string& code, const std::string& right);
