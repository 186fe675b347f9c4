#pragma once
#include <cctype>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The expansion exactly as the engine's documentation states it: every
// variable in store order over the whole text, pass after pass. Written
// independently of the engine's helpers; nullopt when it does not settle.
inline std::string ReplaceAllIgnoringCase(const std::string& text, const std::string& pattern, const std::string& value) {
    auto upper = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    if (text.empty() || pattern.size() > text.size()) return text;
    const std::string hay = upper(text), needle = upper(pattern);
    std::string out;
    size_t pos = 0;
    for (size_t hit; (hit = hay.find(needle, pos)) != std::string::npos; pos = hit + needle.size())
        out += text.substr(pos, hit - pos) + value;
    return out + text.substr(pos);
}

inline std::optional<std::string> ReferenceExpand(const std::vector<std::pair<std::string, std::string>>& store,
                                           std::string input) {
    for (int pass = 0; pass < 100; ++pass) {
        std::string text = ReplaceAllIgnoringCase(input, "$NEWLINE$", "\r\n");
        for (const auto& [name, value] : store) text = ReplaceAllIgnoringCase(text, "$" + name + "$", value);
        if (text.find('$') == std::string::npos || text == input) return text;
        if (text.size() > 100000) return std::nullopt;
        input = text;
    }
    return std::nullopt;
}

