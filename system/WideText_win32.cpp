#include <windows.h>

#include <cwchar>

#include "system/WideText.h"

namespace {
std::wstring WideFrom(UINT codePage, const std::string& text) {
    if (text.empty()) return {};
    const int count = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (count <= 0) return {};
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), count);
    return wide;
}
}  // namespace

std::wstring WideFromAnsi(const std::string& text) { return WideFrom(CP_ACP, text); }

std::wstring WideFromUtf8(const std::string& text) { return WideFrom(CP_UTF8, text); }

std::string AnsiFromWide(const wchar_t* text, size_t length) {
    if (!text || length == 0) return {};
    const int count = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (count <= 0) return {};
    std::string ansi(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), ansi.data(), count, nullptr, nullptr);
    return ansi;
}

std::string AnsiFromWide(const wchar_t* text) { return text ? AnsiFromWide(text, std::wcslen(text)) : std::string(); }

std::string Utf16LeFromAnsi(const std::string& text) {
    std::string bytes;
    for (wchar_t unit : WideFromAnsi(text)) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>((unit >> 8) & 0xFF));
    }
    return bytes;
}
