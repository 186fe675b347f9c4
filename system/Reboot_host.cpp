#include "system/NeedsWindows.h"
#include "system/Reboot.h"

void RestartComputer() { throw NeedsWindows("restarting the computer"); }
