#include "system/GuardedCall.h"

// The host loads no foreign libraries: the call simply runs.
bool CallGuarded(void (*call)(void* argument), void* argument) {
    call(argument);
    return true;
}
