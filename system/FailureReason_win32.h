#pragma once
// The Windows wrappers' side of system/FailureReason.h.
#include <windows.h>

#include "system/FailureReason.h"

// Passes a call's success through, recording GetLastError's reason when it
// failed and forgetting the previous reason when it succeeded.
inline bool Recorded(BOOL succeeded) {
    if (succeeded) {
        ForgetFailure();
        return true;
    }
    RecordFailure(GetLastError());
    return false;
}
