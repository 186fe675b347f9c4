#include <ctime>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "installer/ApplySystem.h"

namespace {
std::filesystem::path HostPath(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}
}  // namespace

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(HostPath(path), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

std::string CurrentAccountName() {
    char name[256] = "";
    if (getlogin_r(name, sizeof name) != 0) return "localhost\\user";
    return std::string("localhost\\") + name;
}

std::string LocalDateTimeText() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    std::strftime(text, sizeof text, "%x %X", &local);
    return text;
}
