// The text helpers around the variable store: references, paths, newline
// markers and boolean texts.
#include "core/NewlineText.h"
#include "core/VariableStore.h"
#include "system/TextUtils.h"

std::string NewlineToCrLf(const std::string& text) { return ReplaceText(text, "$NEWLINE$", "\r\n", true); }

std::string CrLfToNewline(const std::string& text) { return ReplaceText(text, "\r\n", "$NEWLINE$", false); }

std::string FoldBackslashes(const std::string& text) {
    const std::string folded = ReplaceText(text, "\\\\", "\\", false);
    return StartsWith(text, "\\\\") ? "\\" + folded : folded;
}

std::string ExpandPath(const std::string& text) { return FoldBackslashes(ExpandText(text)); }

std::string StripReference(const std::string& text) {
    if (text.size() < 2 || text.front() != '$' || text.find('$', 1) != text.size() - 1) return {};
    return text.substr(1, text.size() - 2);
}

namespace {
std::string ResolveOr(const std::string& text, const std::string& fallback) {
    const std::string stripped = StripReference(text);
    const std::string& name = stripped.empty() ? text : stripped;
    auto lock = LockVariableStore();
    if (!VariableExists(name)) return fallback;
    return ExpandText(GetVariable(name));
}
}  // namespace

std::string ResolveReference(const std::string& text) { return ResolveOr(text, kUndefinedReferenceValue); }

std::string ResolveReferenceOrEmpty(const std::string& text) { return ResolveOr(text, ""); }

bool IsValidReference(const std::string& text, bool allowLiteral) {
    const std::string name = StripReference(text);
    if (!name.empty()) return VariableExists(name);
    return allowLiteral || VariableExists(text);
}

bool TextToBool(const std::string& text) { return text == "-1" || SameText(text, "TRUE"); }

std::string BoolToText(bool value) { return value ? "TRUE" : "FALSE"; }
