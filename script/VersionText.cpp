#include "script/VersionText.h"

#include <array>

#include "core/ScriptError.h"
#include "system/TextUtils.h"

namespace {
std::array<unsigned, 4> Parts(const FileVersionNumber& v) { return {v.major, v.minor, v.build, v.revision}; }
}  // namespace

std::string VersionText(const FileVersionNumber& v) {
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.build) + "." +
           std::to_string(v.revision);
}

FileVersionNumber ParseVersionText(std::string text) {
    std::array<unsigned, 4> parts{};
    for (size_t i = 0; i < parts.size(); ++i) {
        const size_t dot = text.find('.');
        const std::string part = text.substr(0, dot);
        const auto number = ParseInt64(part);
        if (dot != std::string::npos && i == 0 && !number)
            throw ScriptError("'" + part + "' is not a valid integer value");
        parts[i] = number ? static_cast<unsigned>(*number) : 0;
        if (dot == std::string::npos) break;
        text.erase(0, dot + 1);
    }
    return {parts[0], parts[1], parts[2], parts[3]};
}

int CompareVersions(const FileVersionNumber& a, const FileVersionNumber& b) {
    const auto x = Parts(a), y = Parts(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}
