#include "tools/authoring/WebMediaArchives.h"

#include <filesystem>
#include <stdexcept>

#include "media/MediaWorkers.h"
#include "tools/authoring/BuildInputs.h"
#include "system/TextUtils.h"
#include "tools/authoring/BuildTime.h"
#include "tools/authoring/RunProgram.h"

namespace fs = std::filesystem;

std::string BuildWebMediaArchives(const Project& project, const std::string& outputFolder,
                                  const std::string& password) {
    if (const auto findings = WebMediaFindings(project); !findings.empty()) throw std::runtime_error(findings.front());
    std::string hashes;
    for (const auto& [name, folder] : project.webMedia) {
        const fs::path source = fs::path(project.folder) / folder;
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
