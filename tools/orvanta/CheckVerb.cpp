// orvanta check: the authoring check and the engine's script check on a
// project, each finding with the source line it is about.
#include <iostream>

#include "Subcommand.h"
#include "tools/authoring/ProjectCheck.h"
#include "tools/authoring/ProjectSource.h"

namespace {

int Check(const std::vector<std::string>& args) {
    if (args.size() != 1) throw UsageError{"expected one project"};
    const Project project = LoadProject(args[0]);
    const ProjectCheckReport report = CheckProject(project);
    for (const auto& finding : report.findings) std::cerr << finding << "\n";
    for (const auto& warning : report.warnings) std::cerr << warning << "\n";
    if (!report.ok()) return 1;
    std::cout << project.sourceFile << ": " << report.engineMessage << "\n";
    return 0;
}

const OrvantaSubcommand kCheck("check", "checks a project and reports its mistakes by file:line",
                               "check <project>", Check);

}  // namespace
