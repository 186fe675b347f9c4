#include "tools/authoring/ProjectSource.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "system/GuidText.h"
#include "system/TextUtils.h"
#include "tools/authoring/CommandCatalogue.h"
#include "tools/authoring/FileBytes.h"

namespace fs = std::filesystem;

namespace {

const char* const kRecordingCommands[] = {
    "Write Registry", "Create File Type", "Advertised File Type", "Create Folder", "Create Shortcut",
    "Advertised Shortcut", "Copy/Move Local Files", "Delete Files", "Edit INI File", "Set Environment",
    "Install Files", "Install Assembly", "Control Service", "Create ODBC DSN", "Install ODBC Driver",
    "Install Service",
};

uint64_t Fnv1a(const std::string& text, uint64_t seed) {
    uint64_t h = seed;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

// A GUID text derived from the product code and the command's place, so that
// building the same source twice gives the same payload.
std::string GeneratedId(const std::string& productCode, size_t ordinal) {
    const std::string key = productCode + "#" + std::to_string(ordinal);
    const uint64_t a = Fnv1a(key, 14695981039346656037ull);
    const uint64_t b = Fnv1a(key, a ^ 0x9E3779B97F4A7C15ull);
    char out[40];
    std::snprintf(out, sizeof out, "{%08X-%04X-%04X-%04X-%012llX}", static_cast<unsigned>(a >> 32),
                  static_cast<unsigned>((a >> 16) & 0xFFFF), static_cast<unsigned>(a & 0xFFFF),
                  static_cast<unsigned>(b >> 48), static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFull));
    return out;
}

// Header of a recording command: the hexadecimal digits of its id.
std::string GeneratedHeader(const std::string& id) {
    std::string header;
    for (char c : UpperAscii(id))
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) header += c;
    return header;
}

struct Attributes {
    std::string id, header, media;
    bool off = false;
};

Attributes ParseAttributes(const std::string& text, const std::string& file, int line) {
    Attributes a;
    size_t i = 0;
    while (true) {
        while (i < text.size() && text[i] == ' ') ++i;
        if (i >= text.size()) break;
        size_t keyEnd = i;
        while (keyEnd < text.size() && text[keyEnd] != '=' && text[keyEnd] != ' ') ++keyEnd;
        const std::string key = text.substr(i, keyEnd - i);
        std::string value;
        i = keyEnd;
        if (i < text.size() && text[i] == '=') {
            ++i;
            if (i < text.size() && text[i] == '"') {
                size_t close = text.find('"', i + 1);
                if (close == std::string::npos) throw SourceError(file, line, "unterminated quote in attributes");
                value = text.substr(i + 1, close - i - 1);
                i = close + 1;
            } else {
                size_t end = text.find(' ', i);
                if (end == std::string::npos) end = text.size();
                value = text.substr(i, end - i);
                i = end;
            }
        }
        if (key == "id") {
            if (!IsGuidText(value)) throw SourceError(file, line, "id must be a GUID in braces: " + value);
            a.id = value;
        } else if (key == "header") {
            a.header = value;
        } else if (key == "media") {
            a.media = value;
        } else if (key == "off") {
            a.off = true;
        } else {
            throw SourceError(file, line, "unknown command attribute '" + key + "'");
        }
    }
    return a;
}

// The catalogue's description of a command whose enumeration values may be
// written as words; the recording commands' values are words of their own.
const CommandEntry* WordedCommand(const std::string& name) {
    return IsRecordingCommand(name) ? nullptr : FindCommand(name);
}

struct PendingCommand {
    std::string name;
    Attributes attributes;
    std::vector<std::string> parameters;
    std::vector<int> parameterLines;
    int line;
};

void SetProjectValue(Project& p, const std::string& key, const std::string& value, const std::string& file,
                     int line) {
    ProjectValues& v = p.payload.project;
    auto split3 = [&](const std::string& text) {
        std::vector<std::string> parts;
        size_t start = 0;
        while (true) {
            size_t bar = text.find(" | ", start);
            parts.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
            if (bar == std::string::npos) break;
            start = bar + 3;
        }
        if (parts.size() != 3) throw SourceError(file, line, "MediaFile needs: archive | path | destination");
        return parts;
    };
    if (key == "Setup") p.setupName = value;
    else if (key == "Package") p.packageFile = value;
    else if (key == "Support") p.supportFolder = value;
    else if (key == "Splash") p.splashFile = value;
    else if (key == "Translations") p.translationsFolder = value;
    else if (key == "Icon") p.iconFile = value;
    else if (key == "Version") p.version = value;
    else if (key == "Description") p.description = value;
    else if (key == "SingleFile") {
        if (SameText(value, "yes") || SameText(value, "no")) p.singleFile = SameText(value, "yes");
        else throw SourceError(file, line, "SingleFile is yes or no, not '" + value + "'");
    }
    else if (key == "ProductCode") v.ProductCode = value;
    else if (key == "RevisionCode") v.RevisionCode = value;
    else if (key == "Title") v.Title = value;
    else if (key == "Publisher") v.Publisher = value;
    else if (key == "Contact") v.Contact = value;
    else if (key == "HelpLink") v.HelpLink = value;
    else if (key == "UpdateInfoLink") v.UpdateInfoLink = value;
    else if (key == "Comments") v.Comments = value;
    else if (key == "DefaultLanguage") v.DefaultLanguage = value;
    else if (key == "ShowLanguageDialog") {
        // The payload knows only these two words; anything else read as FALSE.
        if (value != "TRUE" && value != "FALSE")
            throw SourceError(file, line, "ShowLanguageDialog must be TRUE or FALSE, not '" + value + "'");
        v.ShowLanguageDialog = value == "TRUE";
    } else if (key == "MediaMode") {
        auto mode = ParseInt32(value);
        if (!mode || *mode < 1 || *mode > 3) throw SourceError(file, line, "MediaMode must be 1, 2 or 3, not '" + value + "'");
        v.MediaMode = *mode;
    } else if (key == "ComponentSize") {
        size_t blank = value.find(' ');
        auto size = ParseInt64(value.substr(0, blank));
        if (!size || blank == std::string::npos)
            throw SourceError(file, line, "ComponentSize needs: <size in bytes> <component name>");
        v.ComponentSizes.push_back(UpperAscii(value.substr(blank + 1)));
        v.ComponentSizes.push_back(std::to_string(*size));
    } else if (key == "MediaFile") {
        for (auto& part : split3(value)) v.MediaFileMap.push_back(part);
    } else if (key == "WebMedia") {
        const size_t bar = value.find(" | ");
        if (bar == std::string::npos) throw SourceError(file, line, "WebMedia needs: block name | folder");
        const std::string name = TrimBlanks(value.substr(0, bar));
        if (name.empty() || name.find_first_of("\\/:*?\"<>|") != std::string::npos)
            throw SourceError(file, line, "WebMedia block name must be a legal file name: " + name);
        p.webMedia.emplace_back(name, TrimBlanks(value.substr(bar + 3)));
    } else if (key == "PluginCommand") {
        p.payload.script.PluginCommandNames.push_back(value);
    } else if (key == "PluginLibrary") {
        p.pluginLibraries.push_back(value);
    } else {
        throw SourceError(file, line, "unknown project value '" + key + "'");
    }
}

void AddCommands(Project& p, const std::vector<PendingCommand>& commands, const std::string& file) {
    Script& s = p.payload.script;
    std::vector<std::string> parameters;
    std::set<std::string> ids;
    for (size_t n = 0; n < commands.size(); ++n) {
        const PendingCommand& c = commands[n];
        std::string id = c.attributes.id.empty() ? GeneratedId(p.payload.project.ProductCode, n) : c.attributes.id;
        if (!ids.insert(UpperAscii(id)).second) throw SourceError(file, c.line, "duplicate command id " + id);
        s.CommandNames.push_back(c.name);
        s.CommandIds.push_back(id);
        s.CommandFlags.push_back(c.attributes.off ? "C" : "");
        s.CommandMediaFolders.push_back(c.attributes.media);
        if (!c.parameters.empty()) {
            parameters.push_back(id);
            const CommandEntry* entry = WordedCommand(c.name);
            for (size_t k = 0; k < c.parameters.size(); ++k)
                parameters.push_back(entry && k < entry->parameters.size()
                                         ? ValueForWord(entry->parameters[k], c.parameters[k])
                                         : c.parameters[k]);
        }
        std::string header = c.attributes.header;
        if (header.empty() && IsRecordingCommand(c.name)) header = GeneratedHeader(id);
        if (!header.empty()) {
            s.CommandHeaders.push_back(header);
            s.CommandHeaders.push_back(std::to_string(n));
        }
        p.commandLines.push_back(c.line);
        p.parameterLines.push_back(c.parameterLines);
    }
    s.ParameterBlocks = {parameters};
}

}  // namespace

std::vector<std::vector<std::string>> CommandParameters(const Script& script) {
    const std::unordered_set<std::string> ids(script.CommandIds.begin(), script.CommandIds.end());
    // Id -> (list, line) of its first line in the last list holding it.
    std::unordered_map<std::string, std::pair<size_t, size_t>> at;
    for (size_t list = 0; list < script.ParameterBlocks.size(); ++list) {
        std::unordered_set<std::string> seen;
        const auto& lines = script.ParameterBlocks[list];
        for (size_t line = 0; line < lines.size(); ++line)
            if (ids.count(lines[line]) && seen.insert(lines[line]).second) at[lines[line]] = {list, line};
    }
    std::vector<std::vector<std::string>> parameters(script.size());
    for (size_t n = 0; n < script.size(); ++n) {
        const auto found = at.find(script.CommandIds[n]);
        if (found == at.end()) continue;
        const auto& lines = script.ParameterBlocks[found->second.first];
        for (size_t line = found->second.second + 1; line < lines.size() && !ids.count(lines[line]); ++line)
            parameters[n].push_back(lines[line]);
    }
    return parameters;
}

bool IsRecordingCommand(const std::string& name) {
    for (const char* c : kRecordingCommands)
        if (name == c) return true;
    return false;
}

Project ParseProject(const std::string& text, const std::string& file) {
    Project p;
    p.sourceFile = file;
    std::vector<PendingCommand> commands;
    bool inScript = false;
    std::map<std::string, int>& keyLines = p.valueLines;
    const std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    const std::string_view body = std::string_view(text).substr(text.rfind(kByteOrderMark, 0) == 0 ? 3 : 0);
    const auto lines = SplitLines(body);
    for (size_t i = 0; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i) + 1;
        const std::string& raw = lines[i];
        const std::string trimmed = TrimBlanks(raw);
        if (!inScript) {
            if (trimmed.empty() || trimmed[0] == '#') continue;
            if (trimmed == "[script]") {
                inScript = true;
                continue;
            }
            size_t eq = raw.find('=');
            if (eq == std::string::npos) throw SourceError(file, lineNo, "expected 'Name = value' or [script]");
            std::string value = raw.substr(eq + 1);
            if (!value.empty() && value[0] == ' ') value.erase(0, 1);
            const std::string key = TrimBlanks(raw.substr(0, eq));
            static const std::set<std::string> kRepeatable = {"ComponentSize", "MediaFile", "WebMedia",
                                                              "PluginCommand", "PluginLibrary"};
            if (kRepeatable.count(key)) p.repeatedValueLines[key].push_back(lineNo);
            else if (!keyLines.emplace(key, lineNo).second)
                throw SourceError(file, lineNo,
                                  "'" + key + "' is given twice (first at line " + std::to_string(keyLines[key]) + ")");
            SetProjectValue(p, key, value, file, lineNo);
            continue;
        }
        size_t first = raw.find_first_not_of(" \t");
        if (first == std::string::npos || raw[first] == '#') continue;
        if (raw[first] == '|') {
            if (commands.empty()) throw SourceError(file, lineNo, "parameter line before the first command");
            std::string value = raw.substr(first + 1);
            if (!value.empty() && value[0] == ' ') value.erase(0, 1);
            if (value == "$")
                throw SourceError(file, lineNo, "a parameter cannot be a lone '$' (it would end the parameter list)");
            commands.back().parameters.push_back(value);
            commands.back().parameterLines.push_back(lineNo);
            continue;
        }
        PendingCommand c;
        c.line = lineNo;
        std::string body = raw.substr(first);
        size_t at = body.find(" @ ");
        if (at == std::string::npos && EndsWith(body, " @")) at = body.size() - 2;
        c.name = TrimBlanks(body.substr(0, at));
        if (at != std::string::npos) c.attributes = ParseAttributes(body.substr(at + 3 <= body.size() ? at + 3 : body.size()), file, lineNo);
        if (c.name == "$") throw SourceError(file, lineNo, "a command cannot be named '$'");
        commands.push_back(std::move(c));
    }
    const auto lineOf = [&](const char* key) { return keyLines.count(key) ? keyLines[key] : 1; };
    if (p.payload.project.ProductCode.empty()) throw SourceError(file, 1, "ProductCode is required");
    if (!IsGuidText(p.payload.project.ProductCode))
        throw SourceError(file, lineOf("ProductCode"), "ProductCode must be a GUID in braces");
    // The setup cache is named by the revision code: without a GUID there the
    // cache would be the shared application data folder itself.
    if (!IsGuidText(p.payload.project.RevisionCode))
        throw SourceError(file, lineOf("RevisionCode"), "RevisionCode must be a GUID in braces");
    AddCommands(p, commands, file);
    return p;
}

Project LoadProject(const std::string& path) {
    fs::path file = path;
    if (fs::is_directory(file)) file /= "project.orv";
    Project p = ParseProject(ReadFileBytes(file), file.string());
    p.folder = file.parent_path().string();
    return p;
}

namespace {

// A value as it may stand in one source line; a line break has no way to be
// written there (a script writes $NEWLINE$ instead).
const std::string& OneLine(const std::string& value, const std::string& what) {
    if (value.find_first_of("\r\n") != std::string::npos)
        throw std::runtime_error(what + " holds a line break, which a project source cannot write");
    return value;
}

// "Key = value", without a trailing blank when the value is empty.
std::string ValueLine(const std::string& key, const std::string& value) {
    return key + (value.empty() ? " =" : " = " + OneLine(value, key)) + "\n";
}

// " key=value" of the command line; quoted when it holds a blank.
std::string AttributeText(const char* key, const std::string& value, const std::string& command) {
    const std::string what = "the " + std::string(key) + " of " + command;
    if (value.find(' ') == std::string::npos && value.rfind('"', 0) != 0)
        return " " + std::string(key) + "=" + OneLine(value, what);
    if (value.find('"') != std::string::npos)
        throw std::runtime_error(what + " '" + value + "' cannot be written as an attribute (a quote with a blank, or first)");
    return " " + std::string(key) + "=\"" + OneLine(value, what) + "\"";
}

// A command name the parser reads back unchanged.
const std::string& CommandName(const std::string& name, size_t n) {
    const std::string what = "the name of command " + std::to_string(n);
    if (name.empty() || name != TrimBlanks(name) || name[0] == '#' || name[0] == '|' || name == "$" ||
        name.find(" @ ") != std::string::npos || EndsWith(name, " @"))
        throw std::runtime_error(what + " '" + name + "' cannot be written as a command line");
    return OneLine(name, what);
}

// Commands sharing an id would each repeat that id's whole parameter list,
// and a source gives every command its own id (compared as the parser does).
void RefuseSharedIds(const Script& s) {
    std::unordered_map<std::string, size_t> first;
    for (size_t n = 0; n < s.size(); ++n) {
        const auto [at, added] = first.try_emplace(UpperAscii(s.CommandIds[n]), n);
        if (!added)
            throw std::runtime_error("commands " + std::to_string(at->second) + " and " + std::to_string(n) +
                                     " share the id '" + s.CommandIds[n] + "'; a project gives each command its own");
    }
}

// Blocks nested deeper than this are indented no further: the indentation
// only helps the reader, and a setup nesting thousands of blocks would
// otherwise give a source growing with the square of its commands.
constexpr size_t kDeepestIndent = 16;

// The names of a command's parameters, as "#" lines: the source has no room
// beside a "|" line, where anything written joins the value. A few names
// share one line above the parameters; past kNamesOnOneLine each parameter
// gets its own line above it, since nobody counts to the ninth name.
constexpr size_t kNamesOnOneLine = 5;

std::string NameOf(const CommandEntry& entry, size_t k) {
    return "p" + std::to_string(k + 1) + " " + entry.parameters[k].name;
}

std::string ParameterNames(const CommandEntry* entry, size_t count) {
    if (!entry || count == 0 || count > kNamesOnOneLine) return {};
    std::string names = "# ";
    for (size_t k = 0; k < count && k < entry->parameters.size(); ++k) names += (k ? "; " : "") + NameOf(*entry, k);
    return names.size() > 2 ? names + "\n" : std::string();
}

std::string ParameterName(const CommandEntry* entry, size_t count, size_t k) {
    if (!entry || count <= kNamesOnOneLine || k >= entry->parameters.size()) return {};
    return "# " + NameOf(*entry, k) + "\n";
}

// The project values a setup does not carry, for the author to complete:
// files named relative to the project, and the blocks of its web media.
void WriteFileValues(std::ostringstream& out, const Script& s, const std::vector<std::vector<std::string>>& parameters) {
    out << "\n# The setup does not name the files it was built from: complete these lines\n"
           "# before building (an empty value: none; Package is required; Version empty:\n"
           "# the package's; Description empty: \"<Title> Setup\").\n";
    for (const char* key : {"Package", "Support", "Splash", "Icon", "Translations", "Version", "Description"})
        out << key << " =\n";
    std::set<std::string> blocks;
    for (size_t n = 0; n < s.size(); ++n) {
        if (s.CommandNames[n] != "Web Media Block") continue;
        if (!parameters[n].empty() && blocks.insert(parameters[n][0]).second)
            out << "# WebMedia = " << OneLine(parameters[n][0], "a web media block name") << " | <folder of its files>\n";
    }
    if (!s.PluginCommandNames.empty()) out << "# PluginLibrary = <the plug-in library of the commands below>\n";
}

}  // namespace

std::string WriteProjectSource(const Payload& payload, const std::string& setupName) {
    const ProjectValues& v = payload.project;
    const Script& s = payload.script;
    std::ostringstream out;
    out << "# Orvanta project\n";
    out << ValueLine("Setup", setupName);
    out << ValueLine("ProductCode", v.ProductCode);
    out << ValueLine("RevisionCode", v.RevisionCode);
    out << ValueLine("Title", v.Title);
    out << ValueLine("Publisher", v.Publisher);
    out << ValueLine("Contact", v.Contact);
    out << ValueLine("HelpLink", v.HelpLink);
    out << ValueLine("UpdateInfoLink", v.UpdateInfoLink);
    out << ValueLine("Comments", v.Comments);
    out << ValueLine("MediaMode", std::to_string(v.MediaMode));
    out << ValueLine("ShowLanguageDialog", v.ShowLanguageDialog ? "TRUE" : "FALSE");
    out << ValueLine("DefaultLanguage", v.DefaultLanguage);
    for (size_t i = 0; i + 1 < v.ComponentSizes.size(); i += 2)
        out << ValueLine("ComponentSize", v.ComponentSizes[i + 1] + " " + v.ComponentSizes[i]);
    for (size_t i = 0; i + 2 < v.MediaFileMap.size(); i += 3) {
        // The line is split at the first " | " of each part's rest.
        for (size_t k = i; k < i + 3; ++k)
            if (v.MediaFileMap[k].find(" | ") != std::string::npos || (k < i + 2 && EndsWith(v.MediaFileMap[k], " |")))
                throw std::runtime_error("the media file entry '" + v.MediaFileMap[k] +
                                         "' cannot be written: \" | \" separates the parts of a MediaFile line");
        out << ValueLine("MediaFile", v.MediaFileMap[i] + " | " + v.MediaFileMap[i + 1] + " | " + v.MediaFileMap[i + 2]);
    }
    RefuseSharedIds(s);
    const std::vector<std::vector<std::string>> parameters = CommandParameters(s);
    WriteFileValues(out, s, parameters);
    for (const auto& name : s.PluginCommandNames) out << ValueLine("PluginCommand", name);
    out << "\n[script]\n";

    std::map<std::string, std::string> headers;  // command number -> header
    for (size_t i = 0; i + 1 < s.CommandHeaders.size(); i += 2) headers.try_emplace(s.CommandHeaders[i + 1], s.CommandHeaders[i]);

    const std::unordered_set<std::string> pluginNames(s.PluginCommandNames.begin(), s.PluginCommandNames.end());
    size_t depth = 0;
    for (size_t n = 0; n < s.size(); ++n) {
        const std::string& name = CommandName(s.CommandNames[n], n);
        const bool active = !s.IsCommentedOut(n);
        if (active && (name == "End" || name == "Else" || name == "Else If") && depth > 0) --depth;
        const std::string indent(std::min(depth, kDeepestIndent) * 2, ' ');
        // The id and header that building gives a command without them are left out.
        std::string attributes;
        const std::string& id = s.CommandIds[n];
        if (id != GeneratedId(v.ProductCode, n)) attributes += AttributeText("id", id, name);
        auto h = headers.find(std::to_string(n));
        if (h != headers.end() && !(IsRecordingCommand(name) && h->second == GeneratedHeader(id)))
            attributes += AttributeText("header", h->second, name);
        if (!s.CommandMediaFolders[n].empty()) attributes += AttributeText("media", s.CommandMediaFolders[n], name);
        if (s.IsCommentedOut(n)) attributes += " off";
        out << indent << name << (attributes.empty() ? "" : " @" + attributes) << "\n";
        const std::vector<std::string>& values = parameters[n];
        // A plug-in's command may share a name with a kind of the catalogue, not its parameters.
        const CommandEntry* entry = pluginNames.count(name) ? nullptr : FindCommand(name);
        const std::string names = ParameterNames(entry, values.size());
        if (!names.empty()) out << indent << "  " << names;
        const CommandEntry* worded = WordedCommand(name);
        for (size_t position = 0; position < values.size(); ++position) {
            const std::string single = ParameterName(entry, values.size(), position);
            if (!single.empty()) out << indent << "  " << single;
            const std::string value =
                OneLine(worded && position < worded->parameters.size()
                            ? WordForValue(worded->parameters[position], values[position])
                            : values[position],
                        "parameter " + std::to_string(position + 1) + " of " + name);
            out << indent << "  |" << (value.empty() ? "" : " " + value) << "\n";
        }
        if (active && (name == "If" || name == "Else If" || name == "Else" || name == "Wizard Loop")) ++depth;
    }
    return out.str();
}
