#pragma once
#include <string>
#include <vector>

#include "tools/authoring/ProjectSource.h"

// `orvanta check`, also run by `orvanta build` before it builds: the
// authoring check of the script against the command catalogue (names,
// parameter counts, values for their kinds, block structure, each at its
// source line), the recording commands' values, the wizard forms
// (tools/authoring/DialogFormCheck.h), and the engine's own script
// check, whose refusal is marked as such.

struct ProjectCheckReport {
    // "file:line: text", in source order; empty when the project passes.
    std::vector<std::string> findings;
    // "file:line: warning: text": what build accepts but its author should know.
    std::vector<std::string> warnings;
    // The engine's verdict ("Script compiled successfully" when it runs the script).
    std::string engineMessage;
    // How many of the findings are values the engine itself runs by its own
    // rules (a flag 1, an operand that is no number, an unexpanded $NAME$):
    // setups made elsewhere hold them, and `build --as-written` keeps them.
    size_t runTimeFindings = 0;
    bool ok() const { return findings.empty(); }
    bool onlyRunTimeFindings() const { return findings.size() == runTimeFindings; }
};

struct ProjectCheckOptions {
    bool strictForms = false;  // what the engine leaves out of a form is an error, not a warning
};

ProjectCheckReport CheckProject(const Project& project, const ProjectCheckOptions& options = {});

// The catalogue part alone, as (source line, text) pairs in source order.
struct ScriptFinding {
    int line;
    std::string text;
    bool block = false;  // about If, Else, Wizard Loop and End
    bool runTime = false;  // a value the engine accepts and handles when it runs
};
std::vector<ScriptFinding> ScriptFindings(const Project& project);
