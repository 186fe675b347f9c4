// "Replace String", "Parse String" and "Extract Path".
#include "script/CommandTable.h"
#include "core/VariableStore.h"
#include "script/commands/CommandFamilies.h"
#include "system/PathParts.h"
#include "system/TextUtils.h"

namespace {

void ReplaceString(CommandContext& c) {
    const std::string variable = c.VariableName(1);
    const std::string value = GetVariable(variable);
    c.SetResult(variable, ReplaceText(value, c.Expanded(2), c.Expanded(3), c.Flag(4), c.Flag(5)));
}

// Characters from the 1-based start (below 1 counts as 1), at most count of them.
std::string Copy(const std::string& text, int64_t start, int64_t count) {
    if (start < 1) start = 1;
    if (count <= 0 || start > static_cast<int64_t>(text.size())) return {};
    return text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(count));
}

void ParseString(CommandContext& c) {
    const std::string source = c.Path(1);
    const std::string pattern = c.Path(2);
    const int mode = c.Integer(5);
    const bool ignoreCase = c.Flag(7);
    const std::string text = ignoreCase ? LowerAscii(source) : source;
    const std::string search = ignoreCase ? LowerAscii(pattern) : pattern;
    const int64_t length = static_cast<int64_t>(source.size());
    int64_t pos = 0, skip = 1, adjust = 1;
    switch (mode) {
    case 0: {
        skip = static_cast<int64_t>(search.size());
        const size_t hit = search.empty() ? std::string::npos : text.find(search);
        pos = hit == std::string::npos ? length + 1 : static_cast<int64_t>(hit) + 1;
        break;
    }
    case 1: {
        skip = static_cast<int64_t>(search.size());
        const size_t hit = search.empty() ? std::string::npos : text.rfind(search);
        if (hit == std::string::npos) {
            pos = 1;
            skip = 0;
        } else {
            pos = static_cast<int64_t>(hit) + 1;
        }
        break;
    }
    case 2: {
        const auto count = ParseInt32(search);
        adjust = 0;
        pos = count.value_or(0);
        if (count == 0) {  // nothing before, all of the source after
            pos = 1;
            adjust = 1;
            skip = -1;
        }
        break;
    }
    case 3: {
        adjust = 0;
        const auto count = ParseInt32(search);
        pos = count ? length - *count : 0;
        break;
    }
    default:
        break;
    }
    std::string first, second;
    if (pos != 0) {
        first = Copy(source, 1, pos - adjust);
        second = Copy(source, pos + skip, length);
    }
    if (c.Flag(6)) {
        first = TrimBlanks(first);
        second = TrimBlanks(second);
    }
    if (!c.Raw(3).empty()) c.SetResult(c.Raw(3), first);
    if (!c.Raw(4).empty()) c.SetResult(c.Raw(4), second);
}

void ExtractPath(CommandContext& c) {
    const std::string variable = c.Raw(1);
    const std::string path = ExpandPath(GetVariable(variable));
    c.SetResult(variable, PathPart(path, c.Integer(2)));
}

}  // namespace

void RegisterStringCommands(CommandTable& table) {
    table.Register("Replace String", ReplaceString);
    table.Register("Parse String", ParseString);
    table.Register("Extract Path", ExtractPath);
}
