// orvanta commands: the script commands and their parameters, from the catalogue.
#include <iostream>

#include "Subcommand.h"
#include "tools/authoring/CommandReference.h"

namespace {

int Commands(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::cout << CommandList();
        return 0;
    }
    if (args.size() == 1 && args[0] == "--markdown") {
        std::cout << CommandReferenceMarkdown();
        return 0;
    }
    std::string name;
    for (const auto& word : args) name += (name.empty() ? "" : " ") + word;
    if (const CommandEntry* command = FindCommand(name)) {
        std::cout << CommandHelp(*command);
        return 0;
    }
    const std::string suggestion = ClosestCommandName(name);
    std::cerr << "orvanta commands: no command \"" << name << "\""
              << (suggestion.empty() ? "" : "; did you mean \"" + suggestion + "\"?") << "\n";
    return 1;
}

const OrvantaSubcommand kCommands("commands", "describes the script commands and their parameters",
                                  "commands [<name> | --markdown]", Commands);

}  // namespace
