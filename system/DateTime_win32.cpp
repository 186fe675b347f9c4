#include <windows.h>

#include "system/DateTime.h"

std::string ShortDateText() {
    char text[128];
    const int length = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, text, sizeof text);
    return length > 0 ? std::string(text, length - 1) : std::string();
}

std::string LongTimeText() {
    char text[128];
    const int length = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, text, sizeof text);
    return length > 0 ? std::string(text, length - 1) : std::string();
}
