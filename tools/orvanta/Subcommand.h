#pragma once
#include <string>
#include <vector>

// One verb of the orvanta command line ("build", "check", ...). Each verb lives
// in its own file and registers itself with a static OrvantaSubcommand object.
struct OrvantaSubcommand {
    using Run = int (*)(const std::vector<std::string>& args);
    OrvantaSubcommand(const char* name, const char* summary, const char* usage, Run run);
};

// Thrown by verbs for bad input; main prints the text and the verb's usage
// and exits with 2.
struct UsageError {
    std::string text;
};
