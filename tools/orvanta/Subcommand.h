#pragma once
#include <string>
#include <vector>

// One verb of the orvanta command line ("build", "check", ...). Each verb lives
// in its own file and registers itself with a static OrvantaSubcommand object.
struct OrvantaSubcommand {
    using Run = int (*)(const std::vector<std::string>& args);
    OrvantaSubcommand(const char* name, const char* usage, Run run);
};

// Thrown by verbs for bad input; main prints the text and exits with 1.
struct UsageError {
    std::string text;
};
