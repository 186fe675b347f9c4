#include "installer/ApplyTexts.h"

#include "installer/ReservedPropertyNames.h"
#include "system/CommaText.h"
#include "system/TextUtils.h"

namespace {
constexpr const char* kRecordEnd = "$ex";

// Whether a line is the record end with one or more "$" in front.
bool LooksLikeRecordEnd(std::string_view line) {
    const size_t dollars = line.find_first_not_of('$');
    return dollars != 0 && dollars != std::string_view::npos && line.substr(dollars) == "ex";
}

// A value line that reads like the record end (or like such a line already
// protected) gets one more "$" in front, so no value ends its record early.
std::string ProtectRecordEnds(const std::string& value) {
    std::string out;
    for (size_t start = 0; start <= value.size();) {
        size_t end = value.find_first_of("\r\n", start);
        if (end == std::string::npos) end = value.size();
        if (LooksLikeRecordEnd(std::string_view(value).substr(start, end - start))) out += '$';
        size_t next = end;
        if (next < value.size() && value[next] == '\r') ++next;
        if (next < value.size() && value[next] == '\n') ++next;
        out.append(value, start, next - start);
        if (next == end) break;
        start = next;
    }
    return out;
}

void AppendRecord(std::vector<std::string>& lines, const std::string& name, const std::string& value) {
    lines.push_back(name);
    lines.push_back(ProtectRecordEnds(value));
    lines.push_back(kRecordEnd);
}

void AppendSection(std::vector<std::string>& lines, const std::string& heading, const std::string& body) {
    lines.push_back(heading);
    lines.push_back(body);
    lines.emplace_back();
}
}  // namespace

NameValueList PairsOfCommaText(const std::string& commaText) {
    std::vector<std::string> items = FromCommaText(commaText);
    NameValueList pairs;
    for (size_t i = 0; i < items.size(); i += 2)
        pairs.emplace_back(items[i], i + 1 < items.size() ? items[i + 1] : std::string());
    return pairs;
}

const std::string* FindValue(const NameValueList& pairs, const std::string& name) {
    for (const auto& [entryName, value] : pairs)
        if (SameText(entryName, name)) return &value;
    return nullptr;
}

std::string PropertyFileText(const PropertyFileContent& content,
                             const std::function<std::string(const std::string&)>& expand) {
    std::vector<std::string> lines;
    AppendRecord(lines, "SourceDir", content.sourceDir);
    AppendRecord(lines, content.mediaRecord.first, content.mediaRecord.second);
    for (const auto& [name, value] : content.properties) AppendRecord(lines, name, expand(value));
    for (const auto& [name, value] : content.variables)
        if (!IsReservedPropertyName(name)) AppendRecord(lines, name, expand(value));
    // A value holding a line break simply spans lines: the record ends at "$ex".
    // A value line "$ex" is written as "$$ex" ("$$ex" as "$$$ex" and so on).
    return JoinCrLf(lines);
}

std::string LogHeaderText(const LogHeaderContent& content) {
    std::vector<std::string> lines;
    lines.push_back("=== Orvanta: Applying Changes @" + content.timestamp + " ===");
    lines.emplace_back();
    AppendSection(lines, "*** Variables ***", content.variablesText);
    AppendSection(lines, "*** Properties ***", content.propertiesText);
    AppendSection(lines, "*** MSI Database ***", content.package);
    AppendSection(lines, "*** GUID ***", content.productCode);
    AppendSection(lines, "*** Data Directory ***", content.dataFolder);
    AppendSection(lines, "*** Media Directory ***", content.mediaPath);
    AppendSection(lines, "*** MSI Directory ***", content.packageFolder);
    lines.emplace_back();
    return JoinCrLf(lines);
}
