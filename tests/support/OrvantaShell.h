#pragma once
// Runs the orvanta program of the build under test through the shell.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

// The output (standard output and error together) and exit status of a shell command.
inline std::pair<std::string, int> Shell(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>&1").c_str(), "r"), pclose);
    std::string text;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) text.append(buffer, n);
    return {text, WEXITSTATUS(pclose(pipe.release()))};
}

inline std::string OrvantaProgram() {
    const char* buildDir = std::getenv("ORVANTA_BUILD_DIR");
    return std::string(buildDir ? buildDir : ".") + "/orvanta";
}

// orvanta <arguments>: its output and exit status.
inline std::pair<std::string, int> RunOrvanta(const std::string& arguments) {
    return Shell(OrvantaProgram() + " " + arguments);
}

// The same with named fields, for tests that keep several runs side by side.
struct OrvantaOutput {
    std::string text;
    int status;
};

inline OrvantaOutput Orvanta(const std::string& arguments) {
    auto [text, status] = RunOrvanta(arguments);
    return {text, status};
}
