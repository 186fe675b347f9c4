#include <windows.h>

#include <cstdlib>

#include "system/UserLocale.h"

int UserLanguageId() {
    // The default-language field is a hexadecimal text ("0407").
    char text[16] = {};
    if (!GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ILANGUAGE, text, sizeof text)) return 0;
    return static_cast<int>(std::strtol(text, nullptr, 16));
}
