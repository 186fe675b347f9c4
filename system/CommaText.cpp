#include "system/CommaText.h"

namespace {
bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool NeedsQuotes(const std::string& item) {
    for (char c : item)
        if (IsBlankOrControl(c) || c == ',' || c == '"') return true;
    return false;
}
}  // namespace

std::string ToCommaText(const std::vector<std::string>& items) {
    if (items.size() == 1 && items[0].empty()) return "\"\"";
    std::string out;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += ',';
        const std::string& item = items[i];
        if (!NeedsQuotes(item)) {
            out += item;
            continue;
        }
        out += '"';
        for (char c : item) {
            if (c == '"') out += '"';
            out += c;
        }
        out += '"';
    }
    return out;
}

std::vector<std::string> FromCommaText(const std::string& text) {
    std::vector<std::string> items;
    size_t i = 0;
    const size_t n = text.size();
    auto skipBlanks = [&] {
        while (i < n && IsBlankOrControl(text[i])) ++i;
    };
    skipBlanks();
    while (i < n) {
        std::string item;
        if (text[i] == '"') {
            ++i;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            while (i < n && !IsBlankOrControl(text[i]) && text[i] != ',') item += text[i++];
        }
        items.push_back(std::move(item));
        skipBlanks();
        if (i < n && text[i] == ',') {
            ++i;
            if (i == n) items.emplace_back();
            skipBlanks();
        }
    }
    return items;
}
