// orvanta commands: the script commands and their parameters, from the catalogue.
#include <iostream>

#include "Subcommand.h"
#include "tools/authoring/CommandReference.h"
#include "tools/authoring/ReferenceTables.h"

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
    if (args[0] == "--reference" && args.size() <= 2) {
        std::string keys;
        for (const auto& table : ReferenceTables()) {
            if (args.size() == 1) std::cout << (&table == &ReferenceTables().front() ? "" : "\n") << ReferenceTableText(table);
            keys += (keys.empty() ? "" : ", ") + std::string(table.key);
        }
        if (args.size() == 1) return 0;
        if (const ReferenceTable* table = FindReferenceTable(args[1])) {
            std::cout << ReferenceTableText(*table);
            return 0;
        }
        throw UsageError{"no reference table '" + args[1] + "' (there are " + keys + ")"};
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

const OrvantaSubcommand kCommands("commands",
                                  "describes the script commands, their parameters and the reference tables",
                                  "commands [<name> | --markdown | --reference [<table>]]", Commands);

}  // namespace
