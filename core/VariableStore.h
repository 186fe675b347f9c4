#pragma once
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/NewlineText.h"

// The process-wide variable store: an ordered list of name/value pairs.
// Names compare case-insensitively (ASCII rule) and are stored as given; the
// order of creation is the order of substitution in ExpandText. Every
// operation takes the store lock; a caller that needs several operations to
// see one consistent store (another thread expanding meanwhile) may hold
// LockVariableStore() across them on its own thread.
//
// Override rule: the command-line NAME=value pairs (Startup().overrides) are
// the override list. While the engine runs silently (Startup().silent, which
// the interpreter refreshes from SILENT before every command) a SetVariable on
// an overridden name is ignored unless its source is kOverrideSource. The
// silent flag is read from the start-up values so that the store, the message
// boxes and the log agree on one flag.

inline constexpr const char* kOverrideSource = "Inject Override Command Line";

std::unique_lock<std::recursive_mutex> LockVariableStore();

// Appends (name, "") when no variable of that name exists, then SetVariable.
// An empty name is ignored.
void DefineVariable(const std::string& name, const std::string& value, const std::string& source);
// Raises ScriptError(EngineText(EngineMessage::UndefinedVariableWrite) + name) when the variable does not exist.
void SetVariable(const std::string& name, const std::string& value, const std::string& source);
// Raises ScriptError(EngineText(EngineMessage::UndefinedVariableRead) + name) when the variable does not exist.
std::string GetVariable(const std::string& name);
bool VariableExists(const std::string& name);
void ClearVariables();
// All pairs in store order.
std::vector<std::pair<std::string, std::string>> ListVariables();

// The whole store as one comma text of alternating names and values (the
// plug-in interface), and back. A name without a value gets the empty value.
std::string SnapshotVariables();
void RestoreVariables(const std::string& commaText);

// Replaces every $NAME$ reference by the variable's value, in store order,
// pass after pass until the text is stable. "$NEWLINE$" becomes CR LF;
// references to unknown variables and lone "$" signs stay as written. A value
// that keeps re-introducing its own reference raises a ScriptError naming the
// variable instead of expanding forever.
std::string ExpandText(const std::string& text);
// ExpandText, then every doubled backslash folded to one, except that a
// leading pair (a network path) stays a pair.
std::string ExpandPath(const std::string& text);
// Folds doubled backslashes as ExpandPath does, without expansion.
std::string FoldBackslashes(const std::string& text);

// "$NAME$" gives NAME; anything else (a bare name, a third "$") gives "".
std::string StripReference(const std::string& text);
// The expanded value of the variable named by the reference or bare name;
// "$ZOLTNX$" (or "" for ResolveReferenceOrEmpty) when it does not exist.
std::string ResolveReference(const std::string& text);
std::string ResolveReferenceOrEmpty(const std::string& text);
inline constexpr const char* kUndefinedReferenceValue = "$ZOLTNX$";
// A reference must name an existing variable; a bare text is acceptable when
// literals are allowed, otherwise it must itself name an existing variable.
bool IsValidReference(const std::string& text, bool allowLiteral);

// True for "TRUE" in any letter case and for exactly "-1".
bool TextToBool(const std::string& text);
std::string BoolToText(bool value);
