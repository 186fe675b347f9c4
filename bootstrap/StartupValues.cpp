#include "bootstrap/StartupValues.h"

StartupValues& Startup() {
    static StartupValues values;
    return values;
}
