#include "Subcommand.h"

#include <cstdio>
#include <exception>
#include <map>
#include <string>

// Exit codes: 0 success, 1 findings or failure, 2 wrong usage.
namespace {
constexpr int kUsage = 2;

struct Entry {
    const char* summary;
    const char* usage;
    OrvantaSubcommand::Run run;
};
std::map<std::string, Entry>& Verbs() {
    static std::map<std::string, Entry> verbs;
    return verbs;
}

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h" || arg == "help"; }

void PrintUsage(FILE* out) {
    std::fprintf(out,
                 "usage: orvanta <verb> [arguments]\n"
                 "       orvanta <verb> --help\n       orvanta --help | --version\n\nverbs:\n");
    for (const auto& [name, entry] : Verbs()) std::fprintf(out, "  %-10s %s\n", name.c_str(), entry.summary);
    std::fprintf(out, "\nexit codes: 0 success, 1 findings or failure, 2 wrong usage\n");
}

void PrintVerbHelp(const std::string& name, const Entry& entry) {
    std::printf("orvanta %s: %s\nusage: orvanta %s\n", name.c_str(), entry.summary, entry.usage);
}
}  // namespace

OrvantaSubcommand::OrvantaSubcommand(const char* name, const char* summary, const char* usage, Run run) {
    Verbs()[name] = Entry{summary, usage, run};
}

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(stderr);
        return kUsage;
    }
    const std::string first = argv[1];
    if (first == "--version" || first == "-V") {
        std::printf("orvanta %s\n", ORVANTA_VERSION);
        return 0;
    }
    if (IsHelp(first)) {
        if (argc == 2) {
            PrintUsage(stdout);
            return 0;
        }
        auto it = Verbs().find(argv[2]);
        if (it == Verbs().end()) {
            std::fprintf(stderr, "orvanta: unknown verb '%s'\n", argv[2]);
            return kUsage;
        }
        PrintVerbHelp(it->first, it->second);
        return 0;
    }
    auto it = Verbs().find(first);
    if (it == Verbs().end()) {
        std::fprintf(stderr, "orvanta: unknown verb '%s'\n\n", argv[1]);
        PrintUsage(stderr);
        return kUsage;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        PrintVerbHelp(it->first, it->second);
        return 0;
    }
    try {
        return it->second.run(args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "orvanta %s: %s\nusage: orvanta %s\n", argv[1], e.text.c_str(), it->second.usage);
        return kUsage;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvanta %s: %s\n", argv[1], e.what());
        return 1;
    }
}
