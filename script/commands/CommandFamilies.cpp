#include "script/commands/CommandFamilies.h"

void RegisterCommandFamilies(CommandTable& table) {
    RegisterVariableCommands(table);
    RegisterStringCommands(table);
    RegisterMathematicsCommand(table);
    RegisterMessageCommands(table);
    RegisterTextFileCommands(table);
    RegisterComponentCommands(table);
    RegisterRecordingCommands(table);
    RegisterApplyCommands(table);
}
