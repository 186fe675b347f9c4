#include "tools/authoring/PackageAuthoring.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "system/TextUtils.h"

namespace fs = std::filesystem;

namespace {

struct RecordingCommand {
    std::string name;
    std::string header;
    std::vector<std::string> p;  // p[1] .. p[9]; p[0] is the id
};

std::vector<RecordingCommand> RecordingCommands(const Project& project) {
    const Script& s = project.payload.script;
    CommandHeaderTable headers;
    headers.Load(s.CommandHeaders);
    headers.SetHeaderPass(true);
    std::vector<RecordingCommand> out;
    for (size_t n = 0; n < s.size(); ++n) {
        if (s.IsCommentedOut(n) || !IsRecordingCommand(s.CommandNames[n])) continue;
        RecordingCommand c{s.CommandNames[n], headers.Get(n), {}};
        if (c.header.empty()) continue;
        for (size_t k = 0; k <= 9; ++k) {
            try {
                c.p.push_back(GetParameter(s.ParameterBlocks, s.CommandIds[n], k));
            } catch (const std::exception&) {
                c.p.push_back({});
            }
        }
        out.push_back(std::move(c));
    }
    return out;
}

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

std::string Property(const RecordingCommand& c, int k) { return "P" + c.header + "_" + std::to_string(k); }

class RowWriter {
public:
    RowWriter(const Project& project, SetupArch arch) : project_(project), arch_(arch) {}

    void Command(const RecordingCommand& c) {
        if (c.name == "Install Files") InstallFiles(c);
        else if (c.name == "Create Folder") CreateFolder(c);
        else if (c.name == "Write Registry") WriteRegistry(c);
        else if (c.name == "Create Shortcut") CreateShortcut(c);
        else if (c.name == "Edit INI File") EditIniFile(c);
        else if (c.name == "Set Environment") SetEnvironment(c);
    }

    RecordedRows Rows() const {
        RecordedRows rows;
        if (components_.empty()) return rows;
        std::ostringstream out;
        out << "<DirectoryRef Id=\"TARGETDIR\">\n" << body_.str() << "</DirectoryRef>\n";
        out << "<Feature Id=\"OrvantaRecorded\" Level=\"1\">\n";
        for (const auto& [id, header] : components_) out << "  <ComponentRef Id=\"" << id << "\" />\n";
        out << "</Feature>\n";
        rows.wix = out.str();
        rows.sql = tables_;
        for (const auto& [id, header] : components_)
            rows.sql.push_back("UPDATE `Component` SET `Condition` = 'A" + header + "=\"TRUE\"' WHERE `Component` = '" +
                               id + "'");
        return rows;
    }

private:
    std::string Component(const RecordingCommand& c, const std::string& id, const std::string& content) {
        components_.emplace_back(id, c.header);
        return "<Component Id=\"" + id + "\" Guid=\"" + StableGuid(project_.payload.project.ProductCode + id) +
               (arch_ == SetupArch::x64 ? "\" Win64=\"yes" : "") + "\">" + content + "</Component>\n";
    }

    void InstallFiles(const RecordingCommand& c) {
        const fs::path source = fs::path(project_.folder) / c.p[1];
        if (c.p[1].empty() || !fs::exists(source))
            throw std::runtime_error("Install Files source not found: " + source.string());
        int counter = 0;
        body_ << "<Directory Id=\"" << Property(c, 1) << "\" Name=\".\">\n";
        if (fs::is_directory(source)) Folder(c, source, counter);
        else FileComponent(c, source, counter);
        body_ << "</Directory>\n";
    }

    void Folder(const RecordingCommand& c, const fs::path& folder, int& counter) {
        std::vector<fs::path> entries;
        for (const auto& e : fs::directory_iterator(folder)) entries.push_back(e.path());
        std::sort(entries.begin(), entries.end());
        for (const auto& e : entries)
            if (fs::is_regular_file(e)) FileComponent(c, e, counter);
        for (const auto& e : entries) {
            if (!fs::is_directory(e)) continue;
            body_ << "<Directory Id=\"D" << c.header << "_" << ++counter << "\" Name=\"" << Xml(e.filename().string())
                  << "\">\n";
            Folder(c, e, counter);
            body_ << "</Directory>\n";
        }
    }

    void FileComponent(const RecordingCommand& c, const fs::path& file, int& counter) {
        const std::string n = c.header + "_" + std::to_string(++counter);
        body_ << Component(c, "C" + n,
                           "<File Id=\"F" + n + "\" Name=\"" + Xml(file.filename().string()) + "\" Source=\"" +
                               Xml(fs::relative(file, project_.folder).generic_string()) + "\" KeyPath=\"yes\" />");
    }

    void CreateFolder(const RecordingCommand& c) {
        body_ << "<Directory Id=\"" << Property(c, 1) << "\" Name=\".\">\n"
              << Component(c, "C" + c.header, "<CreateFolder />") << "</Directory>\n";
    }

    void WriteRegistry(const RecordingCommand& c) {
        static const std::map<std::string, std::string> kTypes = {
            {"", "string"}, {"string", "string"}, {"integer", "integer"}, {"expandable", "expandable"}};
        auto type = kTypes.find(LowerAscii(c.p[2]));
        if (type == kTypes.end()) throw std::runtime_error("Write Registry: unknown value type '" + c.p[2] + "'");
        body_ << Component(c, "C" + c.header,
                           "<RegistryValue Root=\"" + Xml(c.p[1].empty() ? "HKLM" : c.p[1]) + "\" Key=\"[" +
                               Property(c, 1) + "]\" Name=\"[" + Property(c, 2) + "]\" Value=\"[" + Property(c, 3) +
                               "]\" Type=\"" + type->second + "\" KeyPath=\"yes\" />");
    }

    void CreateShortcut(const RecordingCommand& c) {
        const std::string shortcut = "<Shortcut Id=\"S" + c.header + "\" Name=\"" + Xml(c.p[2]) + "\" Directory=\"" +
                                     Property(c, 1) + "\" Target=\"[" + Property(c, 2) + "]\" Arguments=\"[" +
                                     Property(c, 3) + "]\" Description=\"" + Xml(c.p[4]) +
                                     "\" WorkingDirectory=\"" + Property(c, 4) + "\" />";
        body_ << "<Directory Id=\"" << Property(c, 1) << "\" Name=\".\">\n"
              << Component(c, "C" + c.header, shortcut + "<CreateFolder />") << "</Directory>\n";
    }

    void EditIniFile(const RecordingCommand& c) {
        if (!iniTable_) {
            tables_.push_back(
                "CREATE TABLE `IniFile` (`IniFile` CHAR(72) NOT NULL, `FileName` CHAR(255) NOT NULL LOCALIZABLE, "
                "`DirProperty` CHAR(72), `Section` CHAR(96) NOT NULL LOCALIZABLE, `Key` CHAR(128) NOT NULL "
                "LOCALIZABLE, `Value` CHAR(255) NOT NULL LOCALIZABLE, `Action` SHORT NOT NULL, `Component_` "
                "CHAR(72) NOT NULL PRIMARY KEY `IniFile`)");
            Sequence("RemoveIniValues", 3800);
            Sequence("WriteIniValues", 5100);
            iniTable_ = true;
        }
        const std::string action = c.p[3].empty() ? "0" : c.p[3];
        if (action != "0" && action != "1" && action != "3")
            throw std::runtime_error("Edit INI File: the action must be 0, 1 or 3");
        tables_.push_back("INSERT INTO `IniFile` (`IniFile`, `FileName`, `DirProperty`, `Section`, `Key`, `Value`, "
                          "`Action`, `Component_`) VALUES ('I" + c.header + "', '" + Sql(c.p[2]) + "', '" +
                          Property(c, 1) + "', '[" + Property(c, 2) + "]', '[" + Property(c, 3) + "]', '[" +
                          Property(c, 4) + "]', " + action + ", 'C" + c.header + "')");
        body_ << Component(c, "C" + c.header, "");
    }

    void SetEnvironment(const RecordingCommand& c) {
        if (!environmentTable_) {
            tables_.push_back("CREATE TABLE `Environment` (`Environment` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL "
                              "LOCALIZABLE, `Value` CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT NULL PRIMARY "
                              "KEY `Environment`)");
            Sequence("RemoveEnvironmentStrings", 3300);
            Sequence("WriteEnvironmentStrings", 5200);
            environmentTable_ = true;
        }
        tables_.push_back("INSERT INTO `Environment` (`Environment`, `Name`, `Value`, `Component_`) VALUES ('E" +
                          c.header + "', '" + Sql(c.p[1]) + "', '[" + Property(c, 1) + "]', 'C" + c.header + "')");
        body_ << Component(c, "C" + c.header, "");
    }

    void Sequence(const char* action, int number) {
        tables_.push_back("INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('" + std::string(action) +
                          "', " + std::to_string(number) + ")");
    }

    const Project& project_;
    const SetupArch arch_;
    std::ostringstream body_;
    std::vector<std::pair<std::string, std::string>> components_;  // component id, header
    std::vector<std::string> tables_;
    bool iniTable_ = false, environmentTable_ = false;
};

}  // namespace

RecordedRows AuthorRecordedRows(const Project& project, SetupArch arch) {
    RowWriter writer(project, arch);
    for (const auto& c : RecordingCommands(project)) writer.Command(c);
    return writer.Rows();
}
