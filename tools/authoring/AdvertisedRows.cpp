// "Advertised File Type" and "Advertised Shortcut": ProgId, Extension, Verb
// and advertised Shortcut rows. Their program is a file of the project that
// the command installs as the key file of its component; the installer
// registers the file type and makes the shortcut for that file and the
// recorded feature.
#include "tools/authoring/RecordingKinds.h"

namespace {

// The program in the directory with the given id (a folder property).
void AuthorProgram(const RecordingCommand& c, PackageRows& rows, size_t k, const std::string& directory) {
    rows.Body() << "<Directory Id=\"" << directory << "\" Name=\".\">\n"
                << rows.Component(c, "C" + c.header, rows.File("F" + c.header, c.at(k))) << "</Directory>\n";
}

void NoQuotes(const RecordingCommand& c, size_t k) {
    if (c.at(k).find('\'') != std::string::npos) throw ParameterError(k, "cannot hold a single quote");
}

}  // namespace

void CheckAdvertisedFileType(const Project& project, const RecordingCommand& c) {
    for (size_t k : {1, 2})
        if (c.at(k).empty()) throw ParameterError(k, "is empty");
    if (c.at(2).find_first_of(".\\") != std::string::npos)
        throw ParameterError(2, "'" + c.at(2) + "' must be an extension without its dot");
    ProjectFile(project, c, 4);
    if (c.at(5).find_first_of("\\[]") != std::string::npos)
        throw ParameterError(5, "'" + c.at(5) + "' cannot name a verb (no backslash or brackets)");
    if (c.at(7).find_first_of("/:*?\"<>|[]") != std::string::npos)
        throw ParameterError(7, "'" + c.at(7) + "' cannot name a folder below Program Files");
    for (size_t k : {1, 3, 6, 7}) NoQuotes(c, k);
}

// The command records no folder: its program goes to a folder below Program
// Files, which a property action places before the installer resolves the
// folders. The ProgId keeps the name written in the script: the engine
// renames it and sets its description for the active language.
void AuthorAdvertisedFileType(const RecordingCommand& c, PackageRows& rows) {
    CheckAdvertisedFileType(rows.project(), c);
    const std::string directory = "D" + c.header;
    AuthorProgram(c, rows, 4, directory);
    const std::string folder = c.at(7).empty() ? rows.project().payload.project.Title : c.at(7);
    rows.Statement("INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('Set" + directory +
                   "', 51, '" + directory + "', '[" +
                   (rows.arch() == SetupArch::x64 ? "ProgramFiles64Folder" : "ProgramFilesFolder") + "]" + Sql(folder) +
                   "\\')");
    rows.Statement("INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('Set" + directory + "', 990)");
    rows.Table("ProgId", "`ProgId` CHAR(255) NOT NULL, `ProgId_Parent` CHAR(255), `Class_` CHAR(38), `Description` "
                         "CHAR(255) LOCALIZABLE, `Icon_` CHAR(72), `IconIndex` SHORT PRIMARY KEY `ProgId`");
    rows.Table("Extension", "`Extension` CHAR(255) NOT NULL, `Component_` CHAR(72) NOT NULL, `ProgId_` CHAR(255), "
                            "`MIME_` CHAR(64), `Feature_` CHAR(38) NOT NULL PRIMARY KEY `Extension`, `Component_`");
    rows.Table("Verb", "`Extension_` CHAR(255) NOT NULL, `Verb` CHAR(32) NOT NULL, `Sequence` SHORT, `Command` "
                       "CHAR(255) LOCALIZABLE, `Argument` CHAR(255) PRIMARY KEY `Extension_`, `Verb`");
    rows.Sequence("UnregisterExtensionInfo", 2800);
    rows.Sequence("UnregisterProgIdInfo", 2900);
    rows.Sequence("RegisterExtensionInfo", 4700);
    rows.Sequence("RegisterProgIdInfo", 4800);
    rows.Statement("INSERT INTO `ProgId` (`ProgId`, `Description`) VALUES ('" + c.at(1) + "', '" + c.at(3) + "')");
    rows.Statement("INSERT INTO `Extension` (`Extension`, `Component_`, `ProgId_`, `Feature_`) VALUES ('" + c.at(2) +
                   "', 'C" + c.header + "', '" + c.at(1) + "', '" + PackageRows::kFeature + "')");
    rows.Statement("INSERT INTO `Verb` (`Extension_`, `Verb`, `Sequence`, `Argument`) VALUES ('" + c.at(2) + "', '" +
                   (c.at(5).empty() ? "open" : c.at(5)) + "', 1, '" + c.at(6) + "')");
}

void CheckAdvertisedShortcut(const Project& project, const RecordingCommand& c) {
    ProjectFile(project, c, 1);
    if (c.at(2).empty()) throw ParameterError(2, "the shortcut's name is empty");
    if (c.at(2).find_first_of("\\/:*?\"<>") != std::string::npos)
        throw ParameterError(2, "'" + c.at(2) + "' cannot name a file");
    if (c.at(6).empty()) throw ParameterError(6, "is empty: the program is installed into the working folder");
    for (size_t k : {2, 4}) NoQuotes(c, k);
}

// The shortcut lies in the folder P<H>_1 and starts the program, which is
// installed into the recorded working folder P<H>_4, with the recorded arguments.
void AuthorAdvertisedShortcut(const RecordingCommand& c, PackageRows& rows) {
    CheckAdvertisedShortcut(rows.project(), c);
    AuthorProgram(c, rows, 1, Property(c, 4));
    rows.Body() << "<Directory Id=\"" << Property(c, 1) << "\" Name=\".\" />\n";
    rows.Sequence("RemoveShortcuts", 3200);
    rows.Sequence("CreateShortcuts", 4500);
    rows.Statement("INSERT INTO `Shortcut` (`Shortcut`, `Directory_`, `Name`, `Component_`, `Target`, `Arguments`, "
                   "`Description`, `WkDir`) VALUES ('S" + c.header + "', '" + Property(c, 1) + "', '" + c.at(2) +
                   "', 'C" + c.header + "', '" + PackageRows::kFeature + "', '[" + Property(c, 3) + "]', '" + c.at(4) + "', '" +
                   Property(c, 4) + "')");
}
