#include "launcher/LaunchCommand.h"

#include "system/TextUtils.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The arguments split at blanks outside quotes, quotes kept.
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (IsBlank(c) && !quoted) {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

}  // namespace

LaunchCommand ParseLaunchCommand(const std::string& commandLine) {
    size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const size_t close = commandLine.find('"', 1);
        at = close == std::string::npos ? commandLine.size() : close + 1;
    }
    while (at < commandLine.size() && !IsBlank(commandLine[at])) ++at;
    while (at < commandLine.size() && IsBlank(commandLine[at])) ++at;
    LaunchCommand command;
    command.arguments = commandLine.substr(at);
    for (const std::string& word : Words(command.arguments))
        if (SameText(word, "/s") || SameText(word, "-s")) command.silent = true;
    return command;
}

std::string EngineCommandLine(const std::string& enginePath, const std::string& launcherPath,
                              const std::string& arguments) {
    std::string line = "\"" + enginePath + "\" /l=\"" + launcherPath + "\"";
    if (!arguments.empty()) line += " " + arguments;
    return line;
}

std::string EngineEntry(const std::vector<std::string>& names) {
    std::string engine;
    for (const std::string& name : names) {
        if (name.find_first_of("\\/") != std::string::npos || name.size() <= 4 ||
            !SameText(name.substr(name.size() - 4), ".exe"))
            continue;
        if (!engine.empty()) return {};
        engine = name;
    }
    return engine;
}
