// The commands that maintain the component list: "Define Component",
// "Set Component State", "Get Component State" and "Set Component Space".
// None of them fails: unknown components and invalid sizes are ignored.

#include "script/CommandTable.h"
#include "core/Components.h"
#include "core/ScriptError.h"
#include "script/commands/CommandFamilies.h"
#include "system/TextUtils.h"

namespace {

// p4, required, is missing from older payloads: where the parameter list
// ends after p3 the flag is FALSE, not an error.
bool RequiredFlag(const CommandContext& c) {
    try {
        return c.Flag(4);
    } catch (const ScriptError&) {
        return false;
    }
}

void DefineComponentCommand(CommandContext& c) {
    DefineComponent(c.Translatable(1, 1), c.Translatable(3, 2), c.Flag(2), RequiredFlag(c));
}

void SetComponentStateCommand(CommandContext& c) { SetComponentState(c.Translatable(1, 1), c.Flag(2)); }

void GetComponentStateCommand(CommandContext& c) {
    const bool selected = IsComponentSelected(c.Translatable(1, 1));
    const std::string variable = c.Raw(2);
    if (!variable.empty()) c.SetResult(variable, selected ? "TRUE" : "FALSE");
}

void SetComponentSpaceCommand(CommandContext& c) {
    if (auto size = ParseInt64(c.Expanded(2))) SetComponentSize(c.Translatable(1, 1), *size);
}

}  // namespace

void RegisterComponentCommands(CommandTable& table) {
    table.Register("Define Component", DefineComponentCommand);
    table.Register("Set Component State", SetComponentStateCommand);
    table.Register("Get Component State", GetComponentStateCommand);
    table.Register("Set Component Space", SetComponentSpaceCommand);
    table.DeclareTranslatable("Define Component", {1, 3});
    for (const char* name : {"Set Component State", "Get Component State", "Set Component Space"})
        table.DeclareTranslatable(name, {1});
}
