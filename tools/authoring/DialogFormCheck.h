#pragma once
#include <string>
#include <vector>

#include "tools/authoring/ProjectSource.h"

// The check of the wizard forms, part of `orvanta check` (and so of
// `orvanta build`): every form of the support folder read as the engine reads
// it, each finding at its place ("file:line: " for text forms, "file: " and
// the component for binary ones, the project's line for a command).
//
// Errors: a dialog the script displays that has no form or no rules file, a
// form that cannot be read, a control bound (Hint) to a variable that no
// command defines or uses and the engine does not predefine, a rule naming a
// control or property the form lacks. Warnings: what the engine leaves out
// of a form (unknown properties, classes and children; errors with
// `strictForms`) and the roles a wizard page lacks (Next, Cancel).
struct DialogFormFindings {
    std::vector<std::string> errors, warnings;
};

DialogFormFindings CheckDialogForms(const Project& project, bool strictForms);

