#include <ctime>

#include "system/DateTime.h"

namespace {
std::string NowAs(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, format, &local));
}
}  // namespace

std::string ShortDateText() { return NowAs("%x"); }
std::string LongTimeText() { return NowAs("%X"); }
