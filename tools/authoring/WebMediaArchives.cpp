#include "tools/authoring/WebMediaArchives.h"

#include <filesystem>
#include <stdexcept>

#include "media/MediaWorkers.h"
#include "system/TextUtils.h"
#include "tools/authoring/BuildTime.h"
#include "tools/authoring/RunProgram.h"

namespace fs = std::filesystem;

namespace {

const std::pair<std::string, std::string>* BlockNamed(const Project& project, const std::string& name) {
    for (const auto& block : project.webMedia)
        if (SameText(block.first, name)) return &block;
    return nullptr;
}

void CheckMediaFileMap(const Project& project) {
    const auto& map = project.payload.project.MediaFileMap;
    for (size_t i = 0; i + 2 < map.size(); i += 3) {
        const auto* block = BlockNamed(project, map[i]);
        if (!block) continue;  // an archive the author builds elsewhere
        std::string inner = map[i + 1];
        for (char& c : inner)
            if (c == '\\') c = '/';
        if (!fs::is_regular_file(fs::path(project.folder) / block->second / inner))
            throw std::runtime_error("MediaFile " + map[i + 1] + ": no such file in web media block " + block->first +
                                     " (" + block->second + ")");
    }
}

}  // namespace

std::string BuildWebMediaArchives(const Project& project, const std::string& outputFolder,
                                  const std::string& password) {
    CheckMediaFileMap(project);
    std::string hashes;
    for (const auto& [name, folder] : project.webMedia) {
        const fs::path source = fs::path(project.folder) / folder;
        if (!fs::is_directory(source))
            throw std::runtime_error("WebMedia " + name + ": folder not found: " + source.string());
        const fs::path archive = fs::absolute(fs::path(outputFolder) / (name + ".7zip"));
        const fs::path staging = fs::path(archive).replace_extension(".staging");
        fs::remove_all(staging);
        fs::create_directories(staging);
        fs::copy(source, staging / name, fs::copy_options::recursive);
        StampTree(staging, BuildTime());
        fs::remove(archive);
        std::vector<std::string> command = {"7zz", "a", "-t7z", kArchiveThreads, "-bd", "-y"};
        if (!password.empty()) command.insert(command.end(), {"-p" + password, "-mhe=on"});
        command.insert(command.end(), {archive.string(), name});
        const int rc = RunProgram(command, staging.string());
        fs::remove_all(staging);
        if (rc != 0) throw std::runtime_error("7zz failed to pack web media block " + name);
        hashes += FileSha256(archive.string()) + "  " + name + ".7zip\r\n";
    }
    return hashes;
}
