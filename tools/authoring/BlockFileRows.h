#pragma once
// "Install Files" whose data lives in a web media block: the files travel
// only in the block's archive, not in the package's cabinet. The engine
// fetches the block into its data folder before the command records, and
// the installer copies each file from there (MoveFile rows, the folder from
// SRCDIR, the data folder the engine passes) and deletes it on removal
// (RemoveFile rows).
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
// The files of the command's p1 (a file or a folder of the block), in the
// order the rows list them; a p1 outside the block's folder is a
// ParameterError. A file the media file map moves is found where the map
// puts it (its first entry), any other in the block's own tree.
std::vector<BlockFile> BlockFiles(const Project& project, const RecordingCommand& c, const WebMediaFolder& block);

void AuthorBlockFiles(const RecordingCommand& c, PackageRows& rows, const WebMediaFolder& block);
