#include <windows.h>

#include "system/IniFile.h"

std::string ReadIniValue(const std::string& file, const std::string& section, const std::string& key) {
    char value[260] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value, sizeof value, file.c_str());
    return value;
}
