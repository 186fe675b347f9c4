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

std::string CurrentFolder() {
    std::error_code error;
    return std::filesystem::current_path(error).string();
}

void ChangeCurrentFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::current_path(HostPath(folder), error);
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

// Host texts are taken as Latin-1, the nearest the host has to the ANSI code page.
std::string Utf16LeFromAnsi(const std::string& text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char c : text) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    return bytes;
}
