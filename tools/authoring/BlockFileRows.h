#pragma once
// Recording commands whose data lives in a web media block: the files travel
// only in the block's archive, not in the package's cabinet. The engine
// fetches the block into its data folder (SRCDIR, which it passes) before
// the command records. "Install Files" has the installer copy each file from
// there (MoveFile rows) and delete it on removal (RemoveFile rows); the
// commands whose rows need a file of the package (a service's program, an
// ODBC driver, an assembly) get File rows that are not compressed, found
// below the installer's source folder, which the package sets to SRCDIR.
#include <string>
#include <utility>
#include <vector>

#include "tools/authoring/PackageRows.h"

// A block of the project: (name, folder relative to the project).
using WebMediaFolder = std::pair<std::string, std::string>;

// The block the command's data is fetched from: only the commands the
// engine fetches for, only in the application-data caching mode (MediaMode
// 2, the only one that fetches) and only in a project that builds blocks
// (WebMedia); nullptr otherwise. A media= naming none of them is a
// std::runtime_error.
const WebMediaFolder* FetchedBlock(const Project& project, const RecordingCommand& c);

// One file of the block as the installer finds it after the fetch.
struct BlockFile {
    std::string projectPath;  // relative to the project folder, "/" between folders
    std::string targetFolder; // below the command's destination, "/" between folders; empty: the destination
    std::string fetchedFolder;// below the data folder, with a trailing backslash
    std::string name;
};
// The parameters naming the command's files: p1 ("Install Files" a file or
// a folder, "Install Service" and "Install Assembly" a file), p2 and, when
// it names another file, p3 ("Install ODBC Driver").
std::vector<size_t> FileParameters(const RecordingCommand& c);

// The files of the command's file parameters, in the order the rows list
// them; a file outside the block's folder is a ParameterError, and so are a
// command's files fetched into different folders where the rows install
// them as one component. A file the media file map moves is found where the
// map puts it (its first entry), any other in the block's own tree.
std::vector<BlockFile> BlockFiles(const Project& project, const RecordingCommand& c, const WebMediaFolder& block);

void AuthorBlockFiles(const RecordingCommand& c, PackageRows& rows, const WebMediaFolder& block);

// The component C<H> in the folder P<H>_1 with the files of the command's
// file parameters, F<H> the first (the key path) and G<H> the second: from
// the package's cabinet, or from the data folder when a web media block
// brings the command's data.
void AuthorCommandFiles(const RecordingCommand& c, PackageRows& rows);
