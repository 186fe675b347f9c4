// The commands that ask the machine about itself without changing it:
// "Get System Settings" and "Read Registry".
#include <optional>

#include "script/CommandTable.h"
#include "script/SystemSettings.h"
#include "script/commands/CommandFamilies.h"
#include "system/Registry.h"

namespace {

void GetSystemSettings(CommandContext& c) {
    const std::string variable = c.Raw(1);
    c.EnsureResult(variable);
    c.SetResult(variable, SystemSetting(c.Integer(2)));
}

// Root codes 0..4 as scripts number them.
std::optional<RegistryRoot> RootOfCode(int code) {
    switch (code) {
        case 0: return RegistryRoot::ClassesRoot;
        case 1: return RegistryRoot::CurrentUser;
        case 2: return RegistryRoot::LocalMachine;
        case 3: return RegistryRoot::Users;
        case 4: return RegistryRoot::CurrentConfig;
        default: return std::nullopt;
    }
}

// Plain strings as they are, 32-bit numbers as signed decimals, every other
// kind (expandable strings too) and every failure as the empty text.
std::string RegistryText(const std::optional<RegistryData>& value) {
    if (!value) return {};
    switch (value->kind) {
        case RegistryData::Kind::String: return value->text;
        case RegistryData::Kind::Number: return std::to_string(static_cast<int32_t>(value->number));
        default: return {};
    }
}

void ReadRegistry(CommandContext& c) {
    const std::string variable = c.Raw(1);
    c.EnsureResult(variable);
    const auto root = RootOfCode(c.Integer(2));
    c.SetResult(variable, root ? RegistryText(ReadRegistryData(*root, c.Path(3), c.Path(4))) : std::string());
}

}  // namespace

void RegisterSystemQueryCommands(CommandTable& table) {
    table.Register("Get System Settings", GetSystemSettings);
    table.Register("Read Registry", ReadRegistry);
}
