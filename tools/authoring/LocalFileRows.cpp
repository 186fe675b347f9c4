// "Copy/Move Local Files" and "Delete Files": MoveFile and RemoveFile rows on
// files already on the machine.
#include "tools/authoring/RecordingKinds.h"

namespace {

// A file name, wildcards allowed; the folder comes from a property.
void FileName(const RecordingCommand& c, size_t k, bool required) {
    if (required && c.at(k).empty()) throw ParameterError(k, "names no file");
    if (c.at(k).find_first_of("\\/:") != std::string::npos)
        throw ParameterError(k, "'" + c.at(k) + "' must be a file name without a folder");
    Sql(c.at(k));
}

}  // namespace

void CheckCopyMoveFiles(const Project&, const RecordingCommand& c) {
    FileName(c, 2, true);
    FileName(c, 4, false);
    Flag(c, 5);
}

// Windows Installer copies or moves when the component is installed.
void AuthorCopyMoveFiles(const RecordingCommand& c, PackageRows& rows) {
    CheckCopyMoveFiles(rows.project(), c);
    rows.Table("MoveFile", "`FileKey` CHAR(72) NOT NULL, `Component_` CHAR(72) NOT NULL, `SourceName` CHAR(255) "
                           "LOCALIZABLE, `DestName` CHAR(255) LOCALIZABLE, `SourceFolder` CHAR(72), `DestFolder` CHAR(72) "
                           "NOT NULL, `Options` SHORT NOT NULL PRIMARY KEY `FileKey`");
    rows.Sequence("MoveFiles", 3800);
    rows.Statement("INSERT INTO `MoveFile` (`FileKey`, `Component_`, `SourceName`, `DestName`, `SourceFolder`, "
                   "`DestFolder`, `Options`) VALUES ('M" + c.header + "', 'C" + c.header + "', '" + c.at(2) + "', '" +
                   c.at(4) + "', '" + Property(c, 1) + "', '" + Property(c, 2) + "', " + (Flag(c, 5) ? "1" : "0") + ")");
    rows.Body() << rows.Component(c, "C" + c.header, "");
}

void CheckDeleteFiles(const Project&, const RecordingCommand& c) {
    FileName(c, 2, true);
    if (!Flag(c, 3) && !Flag(c, 4)) throw ParameterError(3, "and p4: at least one delete mode must be selected");
}

// Install mode 1 deletes when the component is installed, 2 when it is removed.
void AuthorDeleteFiles(const RecordingCommand& c, PackageRows& rows) {
    CheckDeleteFiles(rows.project(), c);
    const int mode = (Flag(c, 3) ? 1 : 0) | (Flag(c, 4) ? 2 : 0);
    rows.Sequence("RemoveFiles", 3500);
    rows.Statement("INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) "
                   "VALUES ('R" + c.header + "', 'C" + c.header + "', '" + c.at(2) + "', '" + Property(c, 1) + "', " +
                   std::to_string(mode) + ")");
    rows.Body() << rows.Component(c, "C" + c.header, "");
}
