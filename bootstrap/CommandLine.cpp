#include "bootstrap/CommandLine.h"

#include "system/TextUtils.h"

namespace {

bool IsSeparator(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool IsSwitch(std::string_view argument) {
    return !argument.empty() && (argument[0] == '/' || argument[0] == '-');
}

// True when the lower-cased argument contains one of the given forms.
bool Contains(std::string_view lowered, std::initializer_list<std::string_view> forms) {
    for (auto form : forms)
        if (lowered.find(form) != std::string_view::npos) return true;
    return false;
}

// The value of a "/x=" switch: the argument without its first three characters.
std::string SwitchValue(std::string_view argument) { return std::string(argument.substr(3)); }

// Takes the value of the first argument in the given forms only.
void TakeFirst(std::string& slot, bool& taken, std::string value) {
    if (taken) return;
    slot = std::move(value);
    taken = true;
}

}  // namespace

std::vector<std::string> SplitArguments(std::string_view raw) {
    std::vector<std::string> arguments;
    size_t i = 0;
    while (true) {
        while (i < raw.size() && IsSeparator(raw[i])) ++i;
        if (i >= raw.size()) break;
        std::string argument;
        bool quoted = false;
        for (; i < raw.size() && (quoted || !IsSeparator(raw[i])); ++i) {
            if (raw[i] == '"')
                quoted = !quoted;
            else
                argument += raw[i];
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::string CommandLineRest(std::string_view raw) {
    if (!raw.empty() && raw[0] == '"') {
        size_t closing = raw.find('"', 1);
        if (closing == std::string_view::npos || closing + 2 >= raw.size()) return {};
        return std::string(raw.substr(closing + 2));
    }
    size_t blank = raw.find(' ');
    if (blank == std::string_view::npos) return {};
    return std::string(raw.substr(blank + 1));
}

void EvaluateCommandLine(std::string_view raw, StartupValues& values) {
    values.commandLineRest = CommandLineRest(raw);
    bool logTaken = false, launcherTaken = false, folderTaken = false, passwordTaken = false;
    std::vector<std::string> arguments = SplitArguments(raw);
    for (size_t n = 1; n < arguments.size(); ++n) {
        const std::string& argument = arguments[n];
        if (!IsSwitch(argument)) {
            // A value such as URL=http://host/p=1 is an override, never a switch.
            size_t equals = argument.find('=');
            if (equals != std::string::npos)
                values.overrides.emplace_back(argument.substr(0, equals), argument.substr(equals + 1));
            continue;
        }
        const std::string lowered = LowerAscii(argument);
        if (lowered == "/s" || lowered == "-s") values.silent = true;
        if (Contains(lowered, {"/m="})) TakeFirst(values.logFile, logTaken, SwitchValue(lowered));
        if (Contains(lowered, {"/l=", "-l="})) TakeFirst(values.launcherPath, launcherTaken, SwitchValue(lowered));
        if (Contains(lowered, {"/p=", "-p="}))
            TakeFirst(values.installedSetupFolder, folderTaken, SwitchValue(lowered));
        if (Contains(lowered, {"/k=", "-k="})) TakeFirst(values.mediaPassword, passwordTaken, SwitchValue(argument));
    }
}
