#pragma once
// What the script offers when it runs again for an installed product: it
// can modify the selection only when it looks at MODIFY, repair only when
// it looks at REPAIR (an If on the variable, or $MODIFY$ / $REPAIR$ in a
// parameter). The uninstall entry tells the system's "Apps" page so.
#include "script/Script.h"

struct MaintenanceChoices {
    bool modify = false;
    bool repair = false;
};
MaintenanceChoices ScriptMaintenanceChoices(const Script& script);
