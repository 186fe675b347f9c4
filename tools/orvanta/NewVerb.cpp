// orvanta new: a project with the standard wizard that builds at once.
#include <iostream>

#include "Subcommand.h"
#include "tools/authoring/NewProject.h"

namespace {

int RunNew(const std::vector<std::string>& args) {
    std::string folder, title;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--title" && i + 1 < args.size()) title = args[++i];
        else if (folder.empty()) folder = args[i];
        else throw UsageError{"unexpected argument '" + args[i] + "'"};
    }
    if (folder.empty()) throw UsageError{"a project folder is required"};
    CreateNewProject(folder, title);
    std::cout << "made " << folder << ": orvanta build " << folder << " -o <dir> builds its setup\n";
    return 0;
}

const OrvantaSubcommand kNew("new", "makes a project with the standard wizard pages, ready to build",
                             "new <folder> [--title <product name>]", &RunNew);

}  // namespace
