#include "system/Files.h"
#include "system/IniFile.h"
#include "system/TextUtils.h"

// A plain reader of the same format: [section] lines and key=value lines,
// names compared without letter case, blanks around them ignored.
std::string ReadIniValue(const std::string& file, const std::string& section, const std::string& key) {
    const auto text = ReadFileText(file);
    if (!text) return {};
    bool inSection = false;
    for (const std::string& raw : SplitLines(*text)) {
        const std::string line = TrimBlanks(raw);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            inSection = SameText(TrimBlanks(line.substr(1, line.size() - 2)), section);
        } else if (inSection) {
            const size_t equals = line.find('=');
            if (equals != std::string::npos && SameText(TrimBlanks(line.substr(0, equals)), key))
                return TrimBlanks(line.substr(equals + 1)).substr(0, 259);
        }
    }
    return {};
}
