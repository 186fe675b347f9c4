#pragma once
class CommandTable;

// Every command family registers its commands here. A new family is one
// file in script/commands/ with its registration function, declared below
// and called from RegisterCommandFamilies.
void RegisterVariableCommands(CommandTable& table);
void RegisterStringCommands(CommandTable& table);
void RegisterMathematicsCommand(CommandTable& table);
void RegisterMessageCommands(CommandTable& table);
void RegisterTextFileCommands(CommandTable& table);
void RegisterFileCommands(CommandTable& table);
void RegisterSystemQueryCommands(CommandTable& table);
void RegisterImmediateCommands(CommandTable& table);
void RegisterComponentCommands(CommandTable& table);
void RegisterRecordingCommands(CommandTable& table);
void RegisterApplyCommands(CommandTable& table);
void RegisterDialogCommands(CommandTable& table);
void RegisterPluginCommands(CommandTable& table);
void RegisterProgramCommands(CommandTable& table);
void RegisterIisCommands(CommandTable& table);

void RegisterCommandFamilies(CommandTable& table);
