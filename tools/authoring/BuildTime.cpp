#include "tools/authoring/BuildTime.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::int64_t kFixedTime = 946684800;  // 2000-01-01 00:00:00 UTC

void Stamp(const fs::path& path, bool folder, std::int64_t seconds) {
    const struct timespec times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
    if (::chmod(path.c_str(), folder ? 0755 : 0644) != 0 ||
        ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        throw std::runtime_error("cannot set the time of " + path.string());
}

}  // namespace

std::int64_t BuildTime() {
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (!epoch || !*epoch) return kFixedTime;
    const std::string text = epoch;
    if (text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos)
        throw std::runtime_error("SOURCE_DATE_EPOCH must be a number of seconds, not '" + text + "'");
    return std::stoll(text);
}

void StampTree(const fs::path& folder, std::int64_t seconds) {
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const fs::file_type type = entry.symlink_status().type();
        if (type != fs::file_type::regular && type != fs::file_type::directory)
            throw std::runtime_error(entry.path().string() + " is neither a file nor a folder");
        Stamp(entry.path(), type == fs::file_type::directory, seconds);
    }
    Stamp(folder, true, seconds);
}
