#pragma once
#include <filesystem>

// Where a build is made before it joins the output folder: a new, empty
// folder inside the output folder itself, so that it lies on the output
// folder's own mount (a bind mount or a tmpfs too) and every file it holds
// can be renamed into place. Its name is unique to this process and it is
// created here, so removing it touches nothing of anyone else.
class StagingFolder {
public:
    // Creates the output folder when missing; refuses one that is a link.
    explicit StagingFolder(const std::filesystem::path& target);
    // Removes the staging folder with what it still holds, and the output
    // folder when this build created it and left it empty.
    ~StagingFolder();
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

    // Moves what the staging folder holds into the output folder, replacing
    // files of the same names and merging folders; other files there stay.
    // Every destination is checked before the first move: a folder that is a
    // link, a folder where the build has a file (or the other way round) or a
    // folder on another mount refuses the whole move and leaves the output
    // folder as it was.
    void MoveIntoPlace() const;

private:
    std::filesystem::path target_, path_;
    bool createdTarget_ = false;
};
