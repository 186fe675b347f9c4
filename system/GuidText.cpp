#include "system/GuidText.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <random>

std::string NewGuidText() {
    static std::mutex lock;
    static std::mt19937_64 generator{std::random_device{}()};
    uint64_t high, low;
    {
        std::lock_guard<std::mutex> guard(lock);
        high = generator();
        low = generator();
    }
    // Version 4 (random) and the standard variant, as CoCreateGuid gives.
    high = (high & 0xFFFFFFFFFFFF0FFFull) | 0x0000000000004000ull;
    low = (low & 0x3FFFFFFFFFFFFFFFull) | 0x8000000000000000ull;
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%012llX}", static_cast<unsigned>(high >> 32),
                  static_cast<unsigned>((high >> 16) & 0xFFFF), static_cast<unsigned>(high & 0xFFFF),
                  static_cast<unsigned>(low >> 48), static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFull));
    return text;
}

bool IsGuidText(const std::string& text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
    for (size_t i = 1; i < 37; ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash != (text[i] == '-')) return false;
        if (!dash && !std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
    }
    return true;
}
