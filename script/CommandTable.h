#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "script/ParameterIndex.h"
#include "script/Script.h"
#include "system/MessageBox.h"

// What a command may change in the interpreter besides the variable store.
struct InterpreterControl {
    bool wizardActive = false;
    int wizardDirection = 1;  // +1 Next, -1 Back, 0 leave the loop
    bool stopRequested = false;  // end the script after this command
    bool failed = false;         // ...because of an error the command reported itself
    // The modeless dialog on screen (owner of the script's message boxes),
    // 0 for none; mirrored in WINDOWHANDLE.
    WindowHandle modelessWindow = 0;
    // The dialog shown modally last; released by the next "Display Dialog".
    std::string lastModalDialogKey;
};

// The view of one command that its handler works with: its number, id and
// parameters in the forms the commands read them, and the interpreter
// state it may change.
class CommandContext {
public:
    CommandContext(const Script& script, const ParameterIndex& parameters, size_t commandNumber,
                   InterpreterControl& control)
        : script_(script), parameters_(parameters), number_(commandNumber), control_(control) {}

    const Script& script() const { return script_; }
    size_t number() const { return number_; }          // 0-based
    int position() const { return static_cast<int>(number_) + 1; }  // as shown in messages
    const std::string& id() const { return script_.CommandIds[number_]; }
    const std::string& name() const { return script_.CommandNames[number_]; }

    // Parameter n exactly as written.
    std::string Raw(size_t n) const;
    // After $NAME$ expansion.
    std::string Expanded(size_t n) const;
    // Expanded, doubled backslashes folded (a leading pair stays).
    std::string Path(size_t n) const;
    // "TRUE" in any letter case or "-1".
    bool Flag(size_t n) const;
    // Expanded, then a signed 32-bit integer; a ScriptError when it is none.
    int32_t Integer(size_t n) const;
    // A translatable text: the active translation for this command's slot
    // replaces the parameter, then it is expanded.
    std::string Translatable(size_t n, int slot) const;
    // A variable-name parameter that may be written as NAME or $NAME$: one
    // leading and one trailing "$" are removed when both are there.
    std::string VariableName(size_t n) const;

    // Writes a result variable with this command's action tag, creating it
    // (upper-cased name) when missing.
    void SetResult(const std::string& variable, const std::string& value) const;
    // Creates the result variable (upper-cased name, empty) when missing.
    void EnsureResult(const std::string& variable) const;

    InterpreterControl& control() const { return control_; }
    void StopScript() const { control_.stopRequested = true; }
    // Ends the script after an error this command has already reported: the
    // run counts as failed (exit code 1603 unless the script set one).
    void StopScriptOnFailure() const {
        control_.stopRequested = true;
        control_.failed = true;
    }

private:
    const Script& script_;
    const ParameterIndex& parameters_;
    size_t number_;
    InterpreterControl& control_;
};

using CommandHandler = std::function<void(CommandContext&)>;

// Command kinds by exact, case-sensitive name. Each command family adds its
// commands in its registration function (script/commands/CommandFamilies.h).
class CommandTable {
public:
    // A later registration of the same name replaces the earlier one.
    void Register(const std::string& name, CommandHandler handler);
    const CommandHandler* Find(const std::string& name) const;
    // Every registered name, in name order.
    std::vector<std::string> Names() const;
    // The parameters of a command whose texts are translated, in slot order
    // (slot 1 first); declared by its family beside its registration.
    void DeclareTranslatable(const std::string& name, std::vector<int> parameters);
    const std::vector<int>& TranslatableParameters(const std::string& name) const;
    // Runs the commands the script names as plug-in commands.
    void RegisterPluginRunner(CommandHandler handler) { pluginRunner_ = std::move(handler); }
    const CommandHandler* PluginRunner() const { return pluginRunner_ ? &pluginRunner_ : nullptr; }

private:
    std::map<std::string, CommandHandler> handlers_;
    std::map<std::string, std::vector<int>> translatable_;
    CommandHandler pluginRunner_;
};

// The engine's table, filled by every command family on first use.
CommandTable& EngineCommands();

// The action tag of a command's variable writes: its name + " Action".
std::string ActionTag(const std::string& commandName);
