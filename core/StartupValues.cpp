#include "core/StartupValues.h"

StartupValues& Startup() {
    static StartupValues values;
    return values;
}

ProjectValues& Project() {
    static ProjectValues values;
    return values;
}
