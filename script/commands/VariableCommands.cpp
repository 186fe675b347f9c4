// "Set Variable", "Get Environment", "Get Temporary File" and "Convert Path".
#include "core/StartupValues.h"
#include "script/CommandTable.h"
#include "core/ScriptError.h"
#include "core/VariableStore.h"
#include "script/commands/CommandFamilies.h"
#include "system/DirectorySearch.h"
#include "system/Environment.h"
#include "system/Paths.h"
#include "system/TempFile.h"

namespace {

void SetVariableCommand(CommandContext& c) { c.SetResult(c.VariableName(1), c.Translatable(2, 1)); }

void GetEnvironment(CommandContext& c) {
    c.SetResult(c.VariableName(2), ExpandEnvironmentText("%" + c.Expanded(1) + "%"));
}

void GetTemporaryFile(CommandContext& c) {
    // The folder the engine started with, whatever TEMPDIR holds now.
    const std::string folder = Startup().tempFolder;
    const auto path = CreateTempFileIn(folder, "keb");
    if (!path) throw ScriptError("Unable to create a temporary file in " + folder);
    c.SetResult(c.VariableName(1), *path);
}

// The long form, component by component; empty when a component is missing.
std::string LongPathForm(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    const size_t separator = path.find_last_of("\\:");
    if (separator == std::string::npos) return FoundFileName(path).value_or("");
    const std::string folder = path.substr(0, path[separator] == ':' ? separator + 1 : separator);
    if (folder == path) return path;  // a bare drive
    const std::string longFolder = path[separator] == ':' ? folder : LongPathForm(folder);
    const auto name = FoundFileName(path);
    if (longFolder.empty() || !name) return {};
    return longFolder + "\\" + *name;
}

void ConvertPath(CommandContext& c) {
    const std::string variable = c.Raw(1);
    const std::string path = ExpandPath(GetVariable(variable));
    c.SetResult(variable, c.Flag(2) ? ShortPathName(path).value_or("") : LongPathForm(path));
}

}  // namespace

void RegisterVariableCommands(CommandTable& table) {
    table.Register("Set Variable", SetVariableCommand);
    table.DeclareTranslatable("Set Variable", {2});
    table.Register("Get Environment", GetEnvironment);
    table.Register("Get Temporary File", GetTemporaryFile);
    table.Register("Convert Path", ConvertPath);
}
