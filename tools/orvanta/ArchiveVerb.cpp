// orvanta archive list|test|extract: the engine's view of a 7z archive, through
// the same front end and library the engine uses.
#include <cstdio>
#include <string>
#include <vector>

#include "Subcommand.h"
#include "keb/LastError.h"
#include "media/uSevenZipAPI.h"

namespace {

struct ArchiveArguments {
    std::string action, archive, destination, password;
};

ArchiveArguments ParseArguments(const std::vector<std::string>& args) {
    ArchiveArguments a;
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-p") {
            if (i + 1 >= args.size()) throw UsageError{"-p needs a password"};
            a.password = args[++i];
        } else if (args[i].rfind("-p", 0) == 0) {
            a.password = args[i].substr(2);
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() < 2) throw UsageError{"an action and an archive are required"};
    a.action = positional[0];
    a.archive = positional[1];
    if (a.action == "extract") {
        if (positional.size() != 3) throw UsageError{"extract needs a destination folder"};
        a.destination = positional[2];
    } else if ((a.action != "list" && a.action != "test") || positional.size() != 2) {
        throw UsageError{"unknown action or extra arguments"};
    }
    return a;
}

// The engine's text, and the library's own detail where it has one.
int Fail(const std::string& engineText) {
    std::string detail = keb::LastArchiveErrorText();
    if (engineText.rfind('#', 0) == 0 && !detail.empty())
        std::fprintf(stderr, "%s (%s)\n", engineText.c_str(), detail.c_str());
    else
        std::fprintf(stderr, "%s\n", engineText.c_str());
    return 1;
}

int RunArchive(const std::vector<std::string>& args) {
    ArchiveArguments a = ParseArguments(args);
    std::string error;
    if (a.action == "list") {
        std::vector<std::string> names;
        if (!ListArchive(a.archive, a.password, error, names)) return Fail(error);
        for (const auto& name : names) std::printf("%s\n", name.c_str());
        return 0;
    }
    // Testing is an extraction into no folder: every CRC is checked, nothing written.
    if (!ExtractArchiveFiles(a.archive, a.password, a.destination, {}, nullptr, error, true, true)) return Fail(error);
    std::printf("%s\n", a.action == "test" ? "Everything is OK" : "Extracted");
    return 0;
}

const OrvantaSubcommand kArchive("archive", "lists, tests or extracts a 7z archive",
                                 "archive list|test <archive> [-p password]\n"
                                 "       orvanta archive extract <archive> <destination> [-p password]",
                                 &RunArchive);

}  // namespace
