#pragma once
// The media file map of the payload: a flat list read in triples (archive
// base name, path of a file inside that archive, destination subfolder).
// After an archive is extracted, every file the map lists for it moves from
// the extraction folder to its destination subfolder; a file listed twice
// ends up in both places.
#include <string>
#include <vector>

struct MediaFileMove {
    std::string source;             // extraction folder + archive base name + "\" + inner path
    std::string destinationRoot;    // with a trailing backslash
    std::string subfolder;          // relative to the root, as the map gives it
    std::string destination;        // root + subfolder + file name of the inner path
};

// The moves for one archive, in map order, for the triples whose archive
// base name equals archiveBaseName (letter case ignored). Throws
// std::runtime_error for a triple whose inner path or subfolder is rooted or
// climbs with "..": the map may not place files outside the destination.
std::vector<MediaFileMove> MediaFileMoves(const std::vector<std::string>& map, const std::string& archiveBaseName,
                                          const std::string& extractionFolder, const std::string& destinationRoot);

// Carries the moves out: each destination loses its read-only attribute and
// is replaced; a source that an earlier move already took is copied from
// that move's destination. False at the first file that cannot be placed.
bool DistributeMediaFiles(const std::vector<MediaFileMove>& moves);

// Creates root + relative folder one level at a time, removing any link
// (symbolic link, junction) found on the way: files a setup places must not
// be redirected by a link someone planted in the data folder.
bool CreateFoldersWithoutLinks(const std::string& root, const std::string& relativeFolder);
