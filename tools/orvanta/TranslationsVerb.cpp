// orvanta translations: what a language's file leaves untranslated.
#include <iostream>

#include "Subcommand.h"
#include "tools/authoring/ProjectSource.h"
#include "tools/authoring/ProjectTranslations.h"

namespace {

int RunTranslations(const std::vector<std::string>& args) {
    std::string projectPath, language;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--missing" && i + 1 < args.size()) language = args[++i];
        else if (projectPath.empty()) projectPath = args[i];
        else throw UsageError{"unexpected argument '" + args[i] + "'"};
    }
    if (projectPath.empty() || language.empty()) throw UsageError{"a project and --missing <Language> are required"};
    const Project project = LoadProject(projectPath);
    const std::vector<std::string> missing = MissingTranslations(project, language);
    for (const std::string& text : missing) std::cout << text << "\n";
    std::cerr << missing.size() << " text(s) without a " << language << " translation\n";
    return missing.empty() ? 0 : 1;
}

const OrvantaSubcommand kTranslations("translations", "lists the texts a language does not translate yet",
                                      "translations <project> --missing <Language>", &RunTranslations);

}  // namespace
