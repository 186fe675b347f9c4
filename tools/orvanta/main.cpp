#include "Subcommand.h"

#include <cstdio>
#include <exception>
#include <map>
#include <string>

namespace {
struct Entry {
    const char* usage;
    OrvantaSubcommand::Run run;
};
std::map<std::string, Entry>& Verbs() {
    static std::map<std::string, Entry> verbs;
    return verbs;
}

void PrintUsage() {
    std::fprintf(stderr, "usage: orvanta <verb> [arguments]\n\nverbs:\n");
    for (const auto& [name, entry] : Verbs()) std::fprintf(stderr, "  %s\n", entry.usage);
}
}  // namespace

OrvantaSubcommand::OrvantaSubcommand(const char* name, const char* usage, Run run) {
    Verbs()[name] = Entry{usage, run};
}

int main(int argc, char** argv) {
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "help") {
        PrintUsage();
        return argc < 2 ? 2 : 0;
    }
    auto it = Verbs().find(argv[1]);
    if (it == Verbs().end()) {
        std::fprintf(stderr, "orvanta: unknown verb '%s'\n", argv[1]);
        PrintUsage();
        return 2;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    try {
        return it->second.run(args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "orvanta %s: %s\nusage: %s\n", argv[1], e.text.c_str(), it->second.usage);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvanta %s: %s\n", argv[1], e.what());
        return 1;
    }
}
