// "Install ODBC Driver" and "Create ODBC DSN": ODBCDriver and ODBCDataSource
// rows with their attribute rows.
#include <utility>
#include <vector>

#include "tools/authoring/BlockFileRows.h"
#include "tools/authoring/RecordingKinds.h"

namespace {

// "Key=Value" pairs separated by semicolons.
std::vector<std::pair<std::string, std::string>> Attributes(const RecordingCommand& c, size_t k) {
    std::vector<std::pair<std::string, std::string>> out;
    std::string text = c.at(k) + ";";
    for (size_t start = 0, end; (end = text.find(';', start)) != std::string::npos; start = end + 1) {
        const std::string pair = text.substr(start, end - start);
        if (pair.empty()) continue;
        const size_t equals = pair.find('=');
        if (equals == 0 || equals == std::string::npos)
            throw ParameterError(k, "'" + pair + "' is not an attribute (Key=Value)");
        out.emplace_back(Sql(pair.substr(0, equals)), Sql(pair.substr(equals + 1)));
    }
    return out;
}

void AddAttributes(PackageRows& rows, const char* table, const char* keyColumn, const std::string& key,
                   const std::vector<std::pair<std::string, std::string>>& attributes) {
    for (const auto& [name, value] : attributes)
        rows.Statement(std::string("INSERT INTO `") + table + "` (`" + keyColumn + "`, `Attribute`, `Value`) VALUES ('" +
                       key + "', '" + name + "', '" + value + "')");
}

}  // namespace

void CheckInstallOdbcDriver(const Project& project, const RecordingCommand& c) {
    if (c.at(1).empty()) throw ParameterError(1, "the driver name is empty");
    Sql(c.at(1));
    ProjectFile(project, c, 2);
    if (!c.at(3).empty()) ProjectFile(project, c, 3);
    Attributes(c, 5);
}

// The driver and its setup library are installed into the folder P<H>_1.
void AuthorInstallOdbcDriver(const RecordingCommand& c, PackageRows& rows) {
    CheckInstallOdbcDriver(rows.project(), c);
    const bool ownSetup = FileParameters(c).size() > 1;
    AuthorCommandFiles(c, rows);
    rows.Table("ODBCDriver", "`Driver` CHAR(72) NOT NULL, `Component_` CHAR(72) NOT NULL, `Description` CHAR(255) NOT "
                             "NULL, `File_` CHAR(72) NOT NULL, `File_Setup` CHAR(72) PRIMARY KEY `Driver`");
    rows.Table("ODBCAttribute", "`Driver_` CHAR(72) NOT NULL, `Attribute` CHAR(40) NOT NULL, `Value` CHAR(0) "
                                "LOCALIZABLE PRIMARY KEY `Driver_`, `Attribute`");
    rows.Sequence("RemoveODBC", 2400);
    rows.Sequence("InstallODBC", 5400);
    rows.Statement("INSERT INTO `ODBCDriver` (`Driver`, `Component_`, `Description`, `File_`, `File_Setup`) VALUES ('D" +
                   c.header + "', 'C" + c.header + "', '" + c.at(1) + "', 'F" + c.header + "', '" +
                   (ownSetup ? "G" : "F") + c.header + "')");
    AddAttributes(rows, "ODBCAttribute", "Driver_", "D" + c.header, Attributes(c, 5));
}

void CheckCreateOdbcDsn(const Project&, const RecordingCommand& c) {
    for (size_t k : {1, 2}) {
        if (c.at(k).empty()) throw ParameterError(k, "is empty");
        Sql(c.at(k));
    }
    Choice(c, 3, {{"machine", 0}, {"user", 1}});
    Attributes(c, 4);
}

void AuthorCreateOdbcDsn(const RecordingCommand& c, PackageRows& rows) {
    CheckCreateOdbcDsn(rows.project(), c);
    rows.Body() << rows.Component(c, "C" + c.header, "");
    rows.Table("ODBCDataSource", "`DataSource` CHAR(72) NOT NULL, `Component_` CHAR(72) NOT NULL, `Description` "
                                 "CHAR(255) NOT NULL, `DriverDescription` CHAR(255) NOT NULL, `Registration` SHORT NOT "
                                 "NULL PRIMARY KEY `DataSource`");
    rows.Table("ODBCSourceAttribute", "`DataSource_` CHAR(72) NOT NULL, `Attribute` CHAR(32) NOT NULL, `Value` "
                                      "CHAR(0) LOCALIZABLE PRIMARY KEY `DataSource_`, `Attribute`");
    rows.Sequence("RemoveODBC", 2400);
    rows.Sequence("InstallODBC", 5400);
    rows.Statement("INSERT INTO `ODBCDataSource` (`DataSource`, `Component_`, `Description`, `DriverDescription`, "
                   "`Registration`) VALUES ('O" + c.header + "', 'C" + c.header + "', '" + c.at(1) + "', '" + c.at(2) +
                   "', " + std::to_string(Choice(c, 3, {{"machine", 0}, {"user", 1}})) + ")");
    AddAttributes(rows, "ODBCSourceAttribute", "DataSource_", "O" + c.header, Attributes(c, 4));
}
