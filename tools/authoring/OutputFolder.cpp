#include "tools/authoring/OutputFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The mount a folder is on. A rename never crosses mounts, not even two bind
// mounts of one file system, so the device alone does not tell; kernels that
// do not report the mount give the device only.
struct Mount {
    uint32_t deviceMajor = 0, deviceMinor = 0;
    uint64_t id = 0;
    bool operator==(const Mount&) const = default;
};

Mount MountOf(const fs::path& folder) {
    struct statx info {};
    if (statx(AT_FDCWD, folder.c_str(), AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &info) != 0)
        throw std::runtime_error("cannot read " + folder.string());
    return {info.stx_dev_major, info.stx_dev_minor, (info.stx_mask & STATX_MNT_ID) ? info.stx_mnt_id : 0};
}

struct Move {
    fs::path from, to;
};

// The renames that put the entries of `from` into `to`, each destination
// checked; throws before any of them is made.
void PlanMoves(const fs::path& from, const fs::path& to, const Mount& mount, std::vector<Move>& moves) {
    for (const auto& entry : fs::directory_iterator(from)) {
        const fs::path destination = to / entry.path().filename();
        const fs::file_status there = fs::symlink_status(destination);
        const bool folder = entry.symlink_status().type() == fs::file_type::directory;
        if (fs::is_symlink(there) && folder)
            throw std::runtime_error(destination.string() + " is a link; not building through it");
        if (folder && fs::is_directory(there)) {
            if (!(MountOf(destination) == mount))
                throw std::runtime_error(destination.string() +
                                         " is on another mount than its output folder; a build cannot move into it");
            PlanMoves(entry.path(), destination, mount, moves);
        } else if (folder && fs::exists(there)) {
            throw std::runtime_error(destination.string() + " is a file where the build makes a folder");
        } else if (!folder && fs::is_directory(there)) {
            throw std::runtime_error(destination.string() + " is a folder where the build makes a file");
        } else {
            moves.push_back({entry.path(), destination});  // replaces a file or a link, never writes through it
        }
    }
}

}  // namespace

StagingFolder::StagingFolder(const fs::path& target) : target_(target) {
    if (fs::is_symlink(target)) throw std::runtime_error(target.string() + " is a link; not building through it");
    createdTarget_ = fs::create_directories(target);
    path_ = target / (".building-" + std::to_string(getpid()));
    if (!fs::create_directory(path_))
        throw std::runtime_error(path_.string() + " exists already (another build of this folder?)");
}

StagingFolder::~StagingFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
    if (createdTarget_) fs::remove(target_, ignored);  // only while empty
}

void StagingFolder::MoveIntoPlace() const {
    std::vector<Move> moves;
    PlanMoves(path_, target_, MountOf(path_), moves);
    for (const Move& move : moves) fs::rename(move.from, move.to);
}
