// orvanta check: the engine's script check on a project, with the source
// line of the offending command, and the parameter values of recording
// commands that give no installer rows.
#include <iostream>

#include "Subcommand.h"
#include "script/CheckScript.h"
#include "tools/authoring/PackageAuthoring.h"
#include "tools/authoring/ProjectSource.h"

namespace {

int Check(const std::vector<std::string>& args) {
    if (args.size() != 1) throw UsageError{"expected one project"};
    const Project project = LoadProject(args[0]);
    const ScriptCheckResult result = CheckScript(project.payload.script);
    if (result.ok()) {
        const std::vector<std::string> errors = RecordingCommandErrors(project);
        for (const auto& error : errors) std::cerr << error << "\n";
        if (!errors.empty()) return 1;
        std::cout << project.sourceFile << ": " << result.message << "\n";
        return 0;
    }
    const size_t command = static_cast<size_t>(result.commandNumber);
    const int line = command < project.commandLines.size() ? project.commandLines[command] : 0;
    std::cerr << project.sourceFile << ":" << line << ": " << result.message << "\n";
    return 1;
}

const OrvantaSubcommand kCheck("check", "check <project>", Check);

}  // namespace
