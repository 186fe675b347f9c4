#include "tools/authoring/SingleFileSetup.h"

#include <fstream>
#include <stdexcept>

#include "tools/authoring/BuildTime.h"
#include "tools/authoring/FileBytes.h"
#include "tools/authoring/RunProgram.h"

namespace fs = std::filesystem;

void MakeSingleFileSetup(const fs::path& folder, const std::string& setupName, const std::string& launcherImage,
                         const std::set<std::string>& separate) {
    const fs::path content = folder / ".single-file";
    fs::create_directory(content);
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.path() != content && !separate.count(name)) fs::rename(entry.path(), content / name);
    }
    StampTree(content, BuildTime());
    const fs::path archive = folder / ".single-file.7z";
    const int rc = RunProgram({"7zz", "a", "-t7z", "-m0=LZMA2", kArchiveThreads, "-bd", "-y", archive.string(), "."},
                              content.string());
    fs::remove_all(content);
    if (rc != 0) throw std::runtime_error("7zz failed to pack the setup folder (exit code " + std::to_string(rc) + ")");
    const fs::path setup = folder / (setupName + ".exe");
    {
        std::ofstream out(setup, std::ios::binary | std::ios::trunc);
        out << launcherImage << ReadFileBytes(archive);
        if (!out) throw std::runtime_error("cannot write " + setup.string());
    }
    fs::remove(archive);
}
