#include <windows.h>

#include <vector>

#include "system/Environment.h"

std::string ExpandEnvironmentText(const std::string& text) {
    std::vector<char> buffer(266240);
    const DWORD length = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length > buffer.size()) return text;
    return std::string(buffer.data(), length - 1);
}
