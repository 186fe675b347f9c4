#pragma once
#include <string>

#include "tools/authoring/CommandCatalogue.h"

// The command reference written from the catalogue: one command's help for
// `orvanta commands <name>`, the list for `orvanta commands`, and the whole
// of docs/commands.md (the reference tables at its end).
std::string CommandHelp(const CommandEntry& command);
std::string CommandList();
std::string CommandReferenceMarkdown();
