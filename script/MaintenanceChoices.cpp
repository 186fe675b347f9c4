#include "script/MaintenanceChoices.h"

#include "script/ParameterIndex.h"
#include "system/TextUtils.h"

MaintenanceChoices ScriptMaintenanceChoices(const Script& script) {
    MaintenanceChoices choices;
    for (const auto& block : script.ParameterBlocks)
        for (const std::string& line : block) {
            const std::string upper = UpperAscii(line);
            if (upper.find("$MODIFY$") != std::string::npos) choices.modify = true;
            if (upper.find("$REPAIR$") != std::string::npos) choices.repair = true;
        }
    const ParameterIndex parameters(script.ParameterBlocks);
    for (size_t n = 0; n < script.size(); ++n) {
        const std::string& name = script.CommandNames[n];
        if (script.IsCommentedOut(n) || (name != "If" && name != "Else If")) continue;
        const std::string variable = UpperAscii(parameters.Get(script.CommandIds[n], 1));
        if (variable == "MODIFY") choices.modify = true;
        if (variable == "REPAIR") choices.repair = true;
    }
    return choices;
}
