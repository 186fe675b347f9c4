// Drives the engine's archive front end, and so keb.dll beside this program,
// from the command line:
//   kebextract list ARCHIVE [PASSWORD]
//   kebextract extract ARCHIVE DESTINATION [PASSWORD]
// Prints the entry names or "OK", or the front end's error text; exits with 0
// on success, 1 on failure and 2 on bad usage.
#include <cstdio>
#include <string>
#include <vector>

#include "media/uSevenZipAPI.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    if (args.size() >= 2 && args.size() <= 3 && args[0] == "list") {
        std::vector<std::string> names;
        if (!ListArchive(args[1], args.size() == 3 ? args[2] : "", error, names)) {
            std::printf("%s\n", error.c_str());
            return 1;
        }
        for (const auto& name : names) std::printf("%s\n", name.c_str());
        return 0;
    }
    if (args.size() >= 3 && args.size() <= 4 && args[0] == "extract") {
        if (!ExtractArchiveFiles(args[1], args.size() == 4 ? args[3] : "", args[2], {}, nullptr, error, true, true)) {
            std::printf("%s\n", error.c_str());
            return 1;
        }
        std::printf("OK\n");
        return 0;
    }
    std::fprintf(stderr, "usage: kebextract list ARCHIVE [PASSWORD] | extract ARCHIVE DESTINATION [PASSWORD]\n");
    return 2;
}
