#include "keb/EntryPath.h"

#include <cstring>

namespace keb {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string UpperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Windows opens a device for these names even with an extension ("NUL.txt").
bool IsDeviceName(const std::string& component) {
    std::string stem = UpperAscii(component.substr(0, component.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* d : kDevices)
        if (stem == d) return true;
    if (stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0))
        return stem[3] >= '0' && stem[3] <= '9';
    return false;
}

bool IsSafeComponent(const std::string& c) {
    for (unsigned char ch : c)
        if (ch < 0x20 || std::strchr("<>:\"|?*", ch)) return false;
    return !IsDeviceName(c);
}

}  // namespace

std::optional<std::vector<std::string>> SafePathComponents(const std::string& entryName) {
    if (entryName.empty() || IsSeparator(entryName.front())) return std::nullopt;
    std::vector<std::string> components;
    size_t start = 0;
    while (start <= entryName.size()) {
        size_t end = start;
        while (end < entryName.size() && !IsSeparator(entryName[end])) ++end;
        std::string c = entryName.substr(start, end - start);
        start = end + 1;
        if (c.empty() || c == ".") continue;
        if (c == "..") return std::nullopt;
        // Windows strips trailing dots and blanks, which would turn "..." or
        // ".. " into ".." and "name." into another entry's "name".
        if (c.back() == '.' || c.back() == ' ') c.back() = '_';
        if (!IsSafeComponent(c)) return std::nullopt;
        components.push_back(std::move(c));
    }
    return components;
}

}  // namespace keb
