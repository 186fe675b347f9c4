#include <cstdlib>

#include "system/Environment.h"

// The rule of the Windows call: "%NAME%" of a defined variable is replaced;
// otherwise "%NAME" stays and its closing sign may open the next reference.
std::string ExpandEnvironmentText(const std::string& text) {
    std::string out;
    size_t pos = 0;
    for (;;) {
        const size_t open = text.find('%', pos);
        const size_t close = open == std::string::npos ? open : text.find('%', open + 1);
        if (close == std::string::npos) break;
        const std::string name = text.substr(open + 1, close - open - 1);
        const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
        out += text.substr(pos, open - pos);
        if (value) {
            out += value;
            pos = close + 1;
        } else {
            out += text.substr(open, close - open);
            pos = close;
        }
    }
    return out + text.substr(pos);
}
