#include "system/HostUserLocale.h"
#include "system/UserLocale.h"

int& HostUserLanguageId() {
    static int id = 1033;
    return id;
}

int UserLanguageId() { return HostUserLanguageId(); }
