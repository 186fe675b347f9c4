#pragma once
#include <filesystem>
#include <string>

// The setup folder a single-file setup carries: the 7z archive appended to
// its launcher, copied into a fresh temporary folder of its own (removed
// with it) so the archive tools and the decompiler read it like any file.
class CarriedSetup {
public:
    // Whether the file is a launcher: a program whose appended data is a 7z archive.
    static bool IsLauncher(const std::string& path);
    // Throws std::runtime_error when the file is no launcher or cannot be read.
    explicit CarriedSetup(const std::string& launcher);
    ~CarriedSetup();
    CarriedSetup(const CarriedSetup&) = delete;
    CarriedSetup& operator=(const CarriedSetup&) = delete;

    const std::filesystem::path& archive() const { return archive_; }
    // Unpacks the engine (the one program at the archive's top level) and returns its path.
    std::filesystem::path UnpackEngine() const;

private:
    std::filesystem::path folder_, archive_;
};
