#include "media/MediaFileMap.h"

#include <stdexcept>
#include <utility>

#include "system/Files.h"
#include "system/PathParts.h"
#include "system/TextUtils.h"

namespace {

// A relative path that stays below its folder: not rooted, no drive, no "..".
bool StaysBelow(const std::string& path) {
    if (path.empty()) return true;
    if (path[0] == '\\' || path[0] == '/' || path.find(':') != std::string::npos) return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("\\/", start);
        if (end == std::string::npos) end = path.size();
        if (path.compare(start, end - start, "..") == 0) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

std::vector<MediaFileMove> MediaFileMoves(const std::vector<std::string>& map, const std::string& archiveBaseName,
                                          const std::string& extractionFolder, const std::string& destinationRoot) {
    std::vector<MediaFileMove> moves;
    for (size_t i = 0; i + 2 < map.size(); i += 3) {
        if (!SameText(map[i], archiveBaseName)) continue;
        const std::string& inner = map[i + 1];
        const std::string& subfolder = map[i + 2];
        if (inner.empty() || !StaysBelow(inner) || !StaysBelow(subfolder))
            throw std::runtime_error("The media file map places " + inner + " outside the data folder");
        MediaFileMove move;
        move.source = WithBackslash(extractionFolder) + archiveBaseName + "\\" + inner;
        move.destinationRoot = WithBackslash(destinationRoot);
        move.subfolder = subfolder;
        move.destination =
            (subfolder.empty() ? move.destinationRoot : WithBackslash(move.destinationRoot + subfolder)) +
            FileNameOf(inner);
        moves.push_back(std::move(move));
    }
    return moves;
}

bool DistributeMediaFiles(const std::vector<MediaFileMove>& moves) {
    // Every move made so far: its source lower-cased (sources compare without
    // letter case) and its destination.
    std::vector<std::pair<std::string, std::string>> placed;
    for (const MediaFileMove& move : moves) {
        if (!CreateFoldersWithoutLinks(move.destinationRoot, move.subfolder)) return false;
        SetNormalAttributes(move.destination);
        DeleteFileAt(move.destination);
        const std::string source = LowerAscii(move.source);
        if (!FileExists(move.source)) {
            for (const auto& [earlierSource, earlierDestination] : placed)
                if (earlierSource == source) {
                    if (!CopyFileOver(earlierDestination, move.destination)) return false;
                    break;
                }
        } else if (!MoveFolder(move.source, move.destination)) {
            return false;
        }
        if (!FileExists(move.destination)) return false;
        placed.emplace_back(source, move.destination);
    }
    return true;
}

bool CreateFoldersWithoutLinks(const std::string& root, const std::string& relativeFolder) {
    std::string folder = WithBackslash(root);
    if (!CreateOwnedFolder(folder)) return false;
    size_t start = 0;
    while (start < relativeFolder.size()) {
        size_t end = relativeFolder.find_first_of("\\/", start);
        if (end == std::string::npos) end = relativeFolder.size();
        if (end > start) {
            folder += relativeFolder.substr(start, end - start) + "\\";
            if (!CreateOwnedFolder(folder)) return false;
        }
        start = end + 1;
    }
    return true;
}
