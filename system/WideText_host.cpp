#include "system/WideText.h"

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
