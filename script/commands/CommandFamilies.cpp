#include "script/commands/CommandFamilies.h"

#include <initializer_list>

#include "script/CommandTable.h"

void RegisterCommandFamilies(CommandTable& table) {
    RegisterVariableCommands(table);
    RegisterStringCommands(table);
    RegisterMathematicsCommand(table);
    RegisterMessageCommands(table);
    RegisterTextFileCommands(table);
    RegisterFileCommands(table);
    RegisterSystemQueryCommands(table);
    RegisterImmediateCommands(table);
    RegisterComponentCommands(table);
    RegisterRecordingCommands(table);
    RegisterApplyCommands(table);
    RegisterDialogCommands(table);
    RegisterPluginCommands(table);
    RegisterProgramCommands(table);
    RegisterIisCommands(table);
    // The interpreter evaluates the conditions itself (script/Condition.cpp).
    for (const char* name : {"If", "Else If"}) table.DeclareTranslatable(name, {1, 3});
}
