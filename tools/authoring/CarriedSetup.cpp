#include "tools/authoring/CarriedSetup.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>
#include <vector>

#include "launcher/LaunchCommand.h"
#include "media/uSevenZipAPI.h"
#include "script/Payload.h"

namespace fs = std::filesystem;

namespace {

const std::string kSignature("7z\xBC\xAF\x27\x1C", 6);

// The appended bytes with any padding before a signature: an archive may end in zeros of its own.
std::string AppendedArchive(const std::string& path) {
    const auto where = FindAppendedRegion(path);
    if (!where) return {};
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<size_t>(where->length), '\0');
    in.seekg(static_cast<std::streamoff>(where->offset));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return in ? bytes : std::string();
}

}  // namespace

bool CarriedSetup::IsLauncher(const std::string& path) {
    return AppendedArchive(path).compare(0, kSignature.size(), kSignature) == 0;
}

CarriedSetup::CarriedSetup(const std::string& launcher) {
    const std::string archive = AppendedArchive(launcher);
    if (archive.compare(0, kSignature.size(), kSignature) != 0)
        throw std::runtime_error(launcher + ": no setup folder appended (not a single-file setup)");
    std::string pattern = (fs::temp_directory_path() / "orvanta-carried-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    folder_ = pattern;
    archive_ = folder_ / "carried.7z";
    std::ofstream out(archive_, std::ios::binary);
    out << archive;
    if (!out) throw std::runtime_error("cannot write " + archive_.string());
}

CarriedSetup::~CarriedSetup() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

fs::path CarriedSetup::UnpackEngine() const {
    std::string error;
    std::vector<std::string> names;
    if (!ListArchive(archive_.string(), "", error, names)) throw std::runtime_error(error);
    const std::string engine = EngineEntry(names);
    if (engine.empty()) throw std::runtime_error("the single-file setup carries no setup program");
    const std::vector<std::string> only = {engine};
    if (!ExtractArchiveFiles(archive_.string(), "", (folder_ / "setup").string(), {}, &only, error, true, true))
        throw std::runtime_error("cannot unpack " + engine + ": " + error);
    return folder_ / "setup" / engine;
}
