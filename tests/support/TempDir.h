#pragma once
#include <filesystem>
#include <string>

// A fresh folder below the system temporary folder, removed with its contents
// when the object goes out of scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Path of a file inside the folder.
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    // Writes the bytes to a file inside the folder and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path path_;
};

// Reads a whole file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);
