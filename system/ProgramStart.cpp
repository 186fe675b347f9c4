#include "system/ProgramStart.h"

std::string EnvironmentBlock(const std::string& entries) {
    std::string block;
    size_t start = 0;
    while (start <= entries.size()) {
        size_t end = entries.find('\n', start);
        if (end == std::string::npos) end = entries.size();
        std::string line = entries.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) block += line + '\0';
        start = end + 1;
    }
    if (block.empty()) block += '\0';
    return block + '\0';
}
