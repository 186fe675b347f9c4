// "Install Assembly": a .NET assembly's file with its MsiAssembly and
// MsiAssemblyName rows, into a folder of its own or the global assembly cache.
#include "tools/authoring/BlockFileRows.h"
#include "tools/authoring/RecordingKinds.h"

namespace {

// The assembly name's parts, by parameter: p4 name, p5 version, p6 culture,
// p7 public key token, p8 processor architecture.
const std::pair<size_t, const char*> kNameParts[] = {
    {4, "Name"}, {5, "Version"}, {6, "Culture"}, {7, "PublicKeyToken"}, {8, "ProcessorArchitecture"}};

bool IntoGlobalCache(const RecordingCommand& c) { return Flag(c, 2); }

}  // namespace

void CheckInstallAssembly(const Project& project, const RecordingCommand& c) {
    ProjectFile(project, c, 1);
    if (c.at(4).empty()) throw ParameterError(4, "the assembly's name is empty");
    if (IntoGlobalCache(c) && (c.at(5).empty() || c.at(7).empty()))
        throw ParameterError(c.at(5).empty() ? 5 : 7,
                             "is empty: an assembly for the global cache needs its version and public key token");
    for (const auto& [k, part] : kNameParts) Sql(c.at(k));
}

// A private assembly stays in the folder P<H>_1, beside itself as its
// application file; a global one (no application file) goes to the cache.
void AuthorInstallAssembly(const RecordingCommand& c, PackageRows& rows) {
    CheckInstallAssembly(rows.project(), c);
    AuthorCommandFiles(c, rows);
    rows.Table("MsiAssembly", "`Component_` CHAR(72) NOT NULL, `Feature_` CHAR(38) NOT NULL, `File_Manifest` CHAR(72), "
                              "`File_Application` CHAR(72), `Attributes` SHORT PRIMARY KEY `Component_`");
    rows.Table("MsiAssemblyName", "`Component_` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL, `Value` CHAR(255) NOT "
                                  "NULL PRIMARY KEY `Component_`, `Name`");
    rows.Sequence("MsiUnpublishAssemblies", 1750);
    rows.Sequence("MsiPublishAssemblies", 6250);
    const std::string component = "C" + c.header, file = "F" + c.header;
    rows.Statement("INSERT INTO `MsiAssembly` (`Component_`, `Feature_`, `File_Manifest`, `File_Application`, "
                   "`Attributes`) VALUES ('" + component + "', '" + PackageRows::kFeature + "', '" + file + "', '" +
                   (IntoGlobalCache(c) ? "" : file) + "', 0)");
    for (const auto& [k, part] : kNameParts) {
        const std::string value = k == 6 && c.at(k).empty() ? "neutral" : c.at(k);
        if (!value.empty())
            rows.Statement("INSERT INTO `MsiAssemblyName` (`Component_`, `Name`, `Value`) VALUES ('" + component +
                           "', '" + part + "', '" + value + "')");
    }
}
