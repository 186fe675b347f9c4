// orvanta check: the authoring check and the engine's script check on a
// project, each finding with the source line it is about.
#include <iostream>

#include "Subcommand.h"
#include "tools/authoring/ProjectCheck.h"
#include "tools/authoring/ProjectSource.h"

namespace {

int Check(const std::vector<std::string>& args) {
    ProjectCheckOptions options;
    std::string projectPath;
    for (const std::string& arg : args) {
        if (arg == "--strict-forms") options.strictForms = true;
        else if (projectPath.empty()) projectPath = arg;
        else throw UsageError{"expected one project"};
    }
    if (projectPath.empty()) throw UsageError{"expected one project"};
    const Project project = LoadProject(projectPath);
    const ProjectCheckReport report = CheckProject(project, options);
    for (const auto& finding : report.findings) std::cerr << finding << "\n";
    for (const auto& warning : report.warnings) std::cerr << warning << "\n";
    if (!report.ok()) return 1;
    std::cout << project.sourceFile << ": " << report.engineMessage << "\n";
    return 0;
}

const OrvantaSubcommand kCheck("check", "checks a project and reports its mistakes by file:line",
                               "check <project> [--strict-forms]", Check);

}  // namespace
