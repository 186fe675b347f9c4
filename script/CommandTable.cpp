#include "script/CommandTable.h"

#include "core/ScriptError.h"
#include "core/Translations.h"
#include "core/VariableStore.h"
#include "script/commands/CommandFamilies.h"
#include "system/TextUtils.h"

std::string CommandContext::Raw(size_t n) const { return parameters_.Get(id(), n); }

std::string CommandContext::Expanded(size_t n) const { return ExpandText(Raw(n)); }

std::string CommandContext::Path(size_t n) const { return ExpandPath(Raw(n)); }

bool CommandContext::Flag(size_t n) const { return TextToBool(Raw(n)); }

int32_t CommandContext::Integer(size_t n) const {
    const std::string text = Expanded(n);
    const auto value = ParseInt32(text);
    if (!value) throw ScriptError("'" + text + "' is not a valid integer value");
    return *value;
}

std::string CommandContext::Translatable(size_t n, int slot) const {
    const std::string expanded = Expanded(n);
    if (!TranslationActive()) return expanded;
    return ExpandText(TranslateCommandText(id(), slot, expanded));
}

std::string CommandContext::VariableName(size_t n) const {
    const std::string raw = Raw(n);
    if (raw.size() >= 2 && raw.front() == '$' && raw.back() == '$') return raw.substr(1, raw.size() - 2);
    return raw;
}

void CommandContext::EnsureResult(const std::string& variable) const {
    if (!VariableExists(variable)) DefineVariable(UpperAscii(variable), "", ActionTag(name()));
}

void CommandContext::SetResult(const std::string& variable, const std::string& value) const {
    EnsureResult(variable);
    SetVariable(variable, value, ActionTag(name()));
}

void CommandTable::Register(const std::string& name, CommandHandler handler) {
    handlers_[name] = std::move(handler);
}

const CommandHandler* CommandTable::Find(const std::string& name) const {
    auto it = handlers_.find(name);
    return it == handlers_.end() ? nullptr : &it->second;
}

std::vector<std::string> CommandTable::Names() const {
    std::vector<std::string> names;
    for (const auto& entry : handlers_) names.push_back(entry.first);
    return names;
}

void CommandTable::DeclareTranslatable(const std::string& name, std::vector<int> parameters) {
    translatable_[name] = std::move(parameters);
}

const std::vector<int>& CommandTable::TranslatableParameters(const std::string& name) const {
    static const std::vector<int> none;
    auto it = translatable_.find(name);
    return it == translatable_.end() ? none : it->second;
}

CommandTable& EngineCommands() {
    static CommandTable table = [] {
        CommandTable filled;
        RegisterCommandFamilies(filled);
        return filled;
    }();
    return table;
}

std::string ActionTag(const std::string& commandName) { return commandName + " Action"; }
