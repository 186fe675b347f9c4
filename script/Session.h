#pragma once
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "script/Script.h"

// A script the check refuses cannot run: the check's reason, and the place of
// the offending command as messages show it.
struct ScriptCheckFailure : std::runtime_error {
    ScriptCheckFailure(int position, const std::string& reason) : std::runtime_error(reason), position(position) {}
    int position;
};

// Session start: everything between the script check and the first command.
// Returns false when the run must end at once without a failure (no package,
// the language question cancelled); a failing script check throws
// ScriptCheckFailure, a failure the run reports like any script error.
bool StartSession(const Script& script, const std::string& msiPath);

// Before every command: the silent flag and the log file from SILENT and
// LOGGED, and fresh DATE and TIME.
void RefreshSessionState();

// The label table of the running script.
LabelTable& SessionLabels();

// The instance parameter list: alternating installer property names and
// values, written to the instance ".par" file when changes are applied.
std::vector<std::string>& InstanceParameters();

// The header pass: for every command with a command header h, queues the
// installer property "A" + h = "FALSE" and appends the pair to the instance
// parameters.
void RecordHeaderPass(const Script& script);
