#include "tools/authoring/PackageAuthoring.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "system/TextUtils.h"
#include "tools/authoring/BlockFileRows.h"
#include "tools/authoring/RecordingKinds.h"

namespace fs = std::filesystem;

namespace {

void AuthorFolder(const RecordingCommand& c, PackageRows& rows, const fs::path& folder, int& counter);

void AuthorFile(const RecordingCommand& c, PackageRows& rows, const fs::path& file, int& counter) {
    const std::string n = c.header + "_" + std::to_string(++counter);
    rows.Body() << rows.Component(
        c, "C" + n, rows.File("F" + n, fs::relative(file, rows.project().folder).generic_string()));
}

void AuthorFolder(const RecordingCommand& c, PackageRows& rows, const fs::path& folder, int& counter) {
    std::vector<fs::path> entries;
    for (const auto& e : fs::directory_iterator(folder)) entries.push_back(e.path());
    std::sort(entries.begin(), entries.end());
    for (const auto& e : entries)
        if (fs::is_regular_file(e)) AuthorFile(c, rows, e, counter);
    for (const auto& e : entries) {
        if (!fs::is_directory(e)) continue;
        rows.Body() << "<Directory Id=\"D" << c.header << "_" << ++counter << "\" Name=\""
                    << Xml(e.filename().string()) << "\">\n";
        AuthorFolder(c, rows, e, counter);
        rows.Body() << "</Directory>\n";
    }
}

void CheckInstallFiles(const Project& project, const RecordingCommand& c) {
    if (c.at(1).empty() || !fs::exists(fs::path(project.folder) / c.at(1)))
        throw ParameterError(1, "'" + c.at(1) + "' is no file or folder of the project");
}

void AuthorInstallFiles(const RecordingCommand& c, PackageRows& rows) {
    CheckInstallFiles(rows.project(), c);
    if (const WebMediaFolder* block = FetchedBlock(rows.project(), c)) return AuthorBlockFiles(c, rows, *block);
    const fs::path source = fs::path(rows.project().folder) / c.at(1);
    int counter = 0;
    rows.Body() << "<Directory Id=\"" << Property(c, 1) << "\" Name=\".\">\n";
    if (fs::is_directory(source)) AuthorFolder(c, rows, source, counter);
    else AuthorFile(c, rows, source, counter);
    rows.Body() << "</Directory>\n";
}

void CheckNothing(const Project&, const RecordingCommand&) {}

void AuthorCreateFolder(const RecordingCommand& c, PackageRows& rows) {
    rows.Body() << "<Directory Id=\"" << Property(c, 1) << "\" Name=\".\">\n"
                << rows.Component(c, "C" + c.header, "<CreateFolder />") << "</Directory>\n";
}

std::string RegistryType(const RecordingCommand& c) {
    static const std::vector<std::pair<std::string, int>> kTypes = {{"string", 0}, {"integer", 1}, {"expandable", 2}};
    return kTypes[static_cast<size_t>(Choice(c, 2, kTypes))].first;
}

void CheckWriteRegistry(const Project&, const RecordingCommand& c) {
    Choice(c, 1, {{"hklm", 0}, {"hkcu", 1}, {"hkcr", 2}, {"hku", 3}, {"hkmu", 4}});
    RegistryType(c);
}

void AuthorWriteRegistry(const RecordingCommand& c, PackageRows& rows) {
    CheckWriteRegistry(rows.project(), c);
    rows.Body() << rows.Component(c, "C" + c.header,
                                  "<RegistryValue Root=\"" + UpperAscii(c.at(1).empty() ? "HKLM" : c.at(1)) +
                                      "\" Key=\"[" + Property(c, 1) + "]\" Name=\"[" + Property(c, 2) + "]\" Value=\"[" +
                                      Property(c, 3) + "]\" Type=\"" + RegistryType(c) + "\" KeyPath=\"yes\" />");
}

void AuthorCreateShortcut(const RecordingCommand& c, PackageRows& rows) {
    const std::string shortcut = "<Shortcut Id=\"S" + c.header + "\" Name=\"" + Xml(c.at(2)) + "\" Directory=\"" +
                                 Property(c, 1) + "\" Target=\"[" + Property(c, 2) + "]\" Arguments=\"[" +
                                 Property(c, 3) + "]\" Description=\"" + Xml(c.at(4)) + "\" WorkingDirectory=\"" +
                                 Property(c, 4) + "\" />";
    rows.Body() << "<Directory Id=\"" << Property(c, 1) << "\" Name=\".\">\n"
                << rows.Component(c, "C" + c.header, shortcut + "<CreateFolder />") << "</Directory>\n";
}

int IniAction(const RecordingCommand& c) { return Choice(c, 3, {{"0", 0}, {"1", 1}, {"3", 3}}); }

void CheckEditIniFile(const Project&, const RecordingCommand& c) {
    IniAction(c);
    Sql(c.at(2));
}

void AuthorEditIniFile(const RecordingCommand& c, PackageRows& rows) {
    CheckEditIniFile(rows.project(), c);
    rows.Table("IniFile", "`IniFile` CHAR(72) NOT NULL, `FileName` CHAR(255) NOT NULL LOCALIZABLE, `DirProperty` "
                          "CHAR(72), `Section` CHAR(96) NOT NULL LOCALIZABLE, `Key` CHAR(128) NOT NULL LOCALIZABLE, "
                          "`Value` CHAR(255) NOT NULL LOCALIZABLE, `Action` SHORT NOT NULL, `Component_` CHAR(72) NOT "
                          "NULL PRIMARY KEY `IniFile`");
    rows.Sequence("RemoveIniValues", 3800);
    rows.Sequence("WriteIniValues", 5100);
    rows.Statement("INSERT INTO `IniFile` (`IniFile`, `FileName`, `DirProperty`, `Section`, `Key`, `Value`, `Action`, "
                   "`Component_`) VALUES ('I" + c.header + "', '" + c.at(2) + "', '" + Property(c, 1) + "', '[" +
                   Property(c, 2) + "]', '[" + Property(c, 3) + "]', '[" + Property(c, 4) + "]', " +
                   std::to_string(IniAction(c)) + ", 'C" + c.header + "')");
    rows.Body() << rows.Component(c, "C" + c.header, "");
}

void CheckSetEnvironment(const Project&, const RecordingCommand& c) {
    if (c.at(1).empty()) throw ParameterError(1, "names no variable");
    Sql(c.at(1));
}

void AuthorSetEnvironment(const RecordingCommand& c, PackageRows& rows) {
    CheckSetEnvironment(rows.project(), c);
    rows.Table("Environment", "`Environment` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL LOCALIZABLE, `Value` "
                              "CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT NULL PRIMARY KEY `Environment`");
    rows.Sequence("RemoveEnvironmentStrings", 3300);
    rows.Sequence("WriteEnvironmentStrings", 5200);
    rows.Statement("INSERT INTO `Environment` (`Environment`, `Name`, `Value`, `Component_`) VALUES ('E" + c.header +
                   "', '" + c.at(1) + "', '[" + Property(c, 1) + "]', 'C" + c.header + "')");
    rows.Body() << rows.Component(c, "C" + c.header, "");
}

struct RecordingKind {
    void (*check)(const Project&, const RecordingCommand&);
    void (*author)(const RecordingCommand&, PackageRows&);
};

// Every recording command with the rows it gets.
const std::map<std::string, RecordingKind>& Kinds() {
    static const std::map<std::string, RecordingKind> kinds = {
        {"Install Files", {CheckInstallFiles, AuthorInstallFiles}},
        {"Create Folder", {CheckNothing, AuthorCreateFolder}},
        {"Write Registry", {CheckWriteRegistry, AuthorWriteRegistry}},
        {"Create Shortcut", {CheckNothing, AuthorCreateShortcut}},
        {"Edit INI File", {CheckEditIniFile, AuthorEditIniFile}},
        {"Set Environment", {CheckSetEnvironment, AuthorSetEnvironment}},
        {"Install Service", {CheckInstallService, AuthorInstallService}},
        {"Control Service", {CheckControlService, AuthorControlService}},
        {"Create File Type", {CheckCreateFileType, AuthorCreateFileType}},
        {"Copy/Move Local Files", {CheckCopyMoveFiles, AuthorCopyMoveFiles}},
        {"Delete Files", {CheckDeleteFiles, AuthorDeleteFiles}},
        {"Install ODBC Driver", {CheckInstallOdbcDriver, AuthorInstallOdbcDriver}},
        {"Create ODBC DSN", {CheckCreateOdbcDsn, AuthorCreateOdbcDsn}},
        {"Advertised File Type", {CheckAdvertisedFileType, AuthorAdvertisedFileType}},
        {"Advertised Shortcut", {CheckAdvertisedShortcut, AuthorAdvertisedShortcut}},
        {"Install Assembly", {CheckInstallAssembly, AuthorInstallAssembly}},
    };
    return kinds;
}

SourceError AtCommand(const Project& project, const RecordingCommand& c, const std::exception& e) {
    const int line = c.number < project.commandLines.size() ? project.commandLines[c.number] : 0;
    return SourceError(project.sourceFile, line, "\"" + c.name + "\": " + e.what());
}

}  // namespace

RecordedRows AuthorRecordedRows(const Project& project, SetupArch arch) {
    PackageRows rows(project, arch);
    for (const auto& c : RecordingCommands(project)) {
        auto kind = Kinds().find(c.name);
        if (kind == Kinds().end()) continue;
        try {
            FetchedBlock(project, c);
            kind->second.author(c, rows);
        } catch (const std::runtime_error& e) {
            throw AtCommand(project, c, e);
        }
    }
    return rows.Rows();
}

std::vector<std::string> RecordingCommandErrors(const Project& project) {
    std::vector<std::string> errors;
    for (const auto& c : RecordingCommands(project)) {
        auto kind = Kinds().find(c.name);
        if (kind == Kinds().end()) continue;
        try {
            const WebMediaFolder* block = FetchedBlock(project, c);
            kind->second.check(project, c);
            if (block) BlockFiles(project, c, *block);
        } catch (const std::runtime_error& e) {
            errors.push_back(AtCommand(project, c, e).what());
        }
    }
    return errors;
}
