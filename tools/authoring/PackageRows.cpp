#include "tools/authoring/PackageRows.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "system/TextUtils.h"
#include "tools/authoring/CommandCatalogue.h"

namespace fs = std::filesystem;

const std::string& RecordingCommand::at(size_t k) const {
    static const std::string kEmpty;
    return k < p.size() ? p[k] : kEmpty;
}

std::vector<RecordingCommand> RecordingCommands(const Project& project) {
    const Script& s = project.payload.script;
    CommandHeaderTable headers;
    headers.Load(s.CommandHeaders);
    headers.SetHeaderPass(true);
    const std::vector<std::vector<std::string>> parameters = CommandParameters(s);
    std::vector<RecordingCommand> out;
    for (size_t n = 0; n < s.size(); ++n) {
        if (s.IsCommentedOut(n) || !IsRecordingCommand(s.CommandNames[n])) continue;
        RecordingCommand c{s.CommandNames[n], headers.Get(n), {s.CommandIds[n]}, n};
        if (c.header.empty()) continue;
        c.p.insert(c.p.end(), parameters[n].begin(), parameters[n].end());
        out.push_back(std::move(c));
    }
    return out;
}

std::string Property(const RecordingCommand& c, int k) { return "P" + c.header + "_" + std::to_string(k); }

std::string Xml(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string Sql(const std::string& text) {
    if (text.find('\'') != std::string::npos)
        throw std::runtime_error("installer rows cannot hold a single quote: " + text);
    return text;
}

int Choice(const RecordingCommand& c, size_t k, const std::vector<std::pair<std::string, int>>& words) {
    const std::string value = LowerAscii(c.at(k));
    if (value.empty()) return words.front().second;
    // The build reads the word: a choice made at run time is an If around the command.
    if (HoldsReference(value))
        throw ParameterError(k, "'" + c.at(k) + "' is read when the setup is built and expands no $NAME$; put the "
                                "command inside \"If\" and \"End\", with p" + std::to_string(k) + " written out");
    std::string known;
    for (const auto& [word, code] : words) {
        if (value == word) return code;
        known += (known.empty() ? "" : ", ") + word;
    }
    throw ParameterError(k, "'" + c.at(k) + "' is not one of " + known);
}

bool Flag(const RecordingCommand& c, size_t k) {
    return Choice(c, k, {{"false", 0}, {"true", 1}, {"-1", 1}, {"0", 0}}) == 1;
}

namespace {

// A path inside the project as written in the script, with either separator.
fs::path InProject(const Project& project, std::string relative) {
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return fs::path(project.folder) / relative;
}

}  // namespace

void ProjectFile(const Project& project, const RecordingCommand& c, size_t k) {
    if (c.at(k).empty()) throw ParameterError(k, "names no file of the project");
    if (!fs::is_regular_file(InProject(project, c.at(k))))
        throw ParameterError(k, "'" + c.at(k) + "' is not a file of the project");
}

namespace {

// A component GUID that stays the same from build to build.
std::string StableGuid(const std::string& key) {
    uint64_t a = 14695981039346656037ull, b = 0x84222325cbf29ce4ull;
    for (unsigned char c : key) {
        a = (a ^ c) * 1099511628211ull;
        b = (b ^ c) * 0x100000001b3ull + 0x9E37;
    }
    char out[40];
    std::snprintf(out, sizeof out, "{%08X-%04X-4%03X-8%03X-%012llX}", static_cast<unsigned>(a >> 32),
                  static_cast<unsigned>((a >> 16) & 0xFFFF), static_cast<unsigned>(a & 0xFFF),
                  static_cast<unsigned>((b >> 52) & 0xFFF), static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFull));
    return out;
}

}  // namespace

std::string PackageRows::Component(const RecordingCommand& c, const std::string& id, const std::string& content) {
    components_.emplace_back(id, c.header);
    return "<Component Id=\"" + id + "\" Guid=\"" + StableGuid(project_.payload.project.ProductCode + id) +
           (arch_ == SetupArch::x64 ? "\" Win64=\"yes" : "") + "\">" + content + "</Component>\n";
}

std::string PackageRows::File(const std::string& id, const std::string& projectFile, bool keyPath) const {
    const fs::path file = InProject(project_, projectFile);
    return "<File Id=\"" + id + "\" Name=\"" + Xml(file.filename().string()) + "\" Source=\"" +
           Xml(fs::relative(file, project_.folder).generic_string()) + (keyPath ? "\" KeyPath=\"yes\" />" : "\" />");
}

void PackageRows::Table(const std::string& name, const std::string& columns) {
    if (tables_.insert(name).second) statements_.push_back("CREATE TABLE `" + name + "` (" + columns + ")");
}

void PackageRows::Sequence(const char* action, int number) {
    if (!actions_.insert(action).second) return;
    // The WiX compiler sequences some actions itself: one row either way.
    statements_.push_back("DELETE FROM `InstallExecuteSequence` WHERE `Action` = '" + std::string(action) + "'");
    statements_.push_back("INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('" + std::string(action) +
                          "', " + std::to_string(number) + ")");
}

RecordedRows PackageRows::Rows() const {
    RecordedRows rows;
    if (components_.empty()) return rows;
    std::ostringstream out;
    out << "<DirectoryRef Id=\"TARGETDIR\">\n" << body_.str() << "</DirectoryRef>\n";
    out << "<Feature Id=\"" << kFeature << "\" Level=\"1\">\n";
    for (const auto& [id, header] : components_) out << "  <ComponentRef Id=\"" << id << "\" />\n";
    out << "</Feature>\n";
    rows.wix = out.str();
    rows.sql = statements_;
    rows.uncompressedSource = uncompressedSource_;
    for (const auto& [id, header] : components_)
        rows.sql.push_back("UPDATE `Component` SET `Condition` = 'A" + header + "=\"TRUE\"' WHERE `Component` = '" + id +
                           "'");
    return rows;
}
