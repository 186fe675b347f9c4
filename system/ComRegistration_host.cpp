#include "system/ComRegistration.h"
#include "system/NeedsWindows.h"

bool RegisterComFile(const std::string&, bool) { throw NeedsWindows("COM registration happens only on Windows"); }
