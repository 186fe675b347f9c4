#pragma once
#include <string>
#include <vector>

#include "script/Script.h"

// The outcome of the script check: commandNumber is -1 with the message
// "Script compiled successfully", or the 0-based number of the offending
// command with the reason.
struct ScriptCheckResult {
    int commandNumber = -1;
    std::string message;
    bool ok() const { return commandNumber < 0; }
};

// Checks block balance, labels, required parameters, variable references
// (a variable counts as known when it is reserved or written by an earlier
// command) and wizard-loop contents. Side effects: empties the variable store
// and fills it with the check's own declarations, and rebuilds the execution
// state list.
ScriptCheckResult CheckScript(const Script& script);

// The reserved variables in the order the check declares them.
const std::vector<std::string>& ReservedVariableNames();

// One text per command: "SKIP" for commands that record no installation
// change, "FALSE" for installation-change commands that have not run yet,
// "TRUE" once they have run.
std::vector<std::string>& ExecutionStates();
