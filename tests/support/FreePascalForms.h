#pragma once
// Free Pascal's Classes unit as the oracle of form files
// (tests/support/FormOracle.pas, built into the build folder once).
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "support/ArchiveFixtures.h"
#include "support/FormFixtures.h"

namespace fixtures {

// Builds tests/support/FormOracle.pas into the build folder once; empty when
// fpc is not installed.
inline const std::string& Oracle() {
    static const std::string path = []() -> std::string {
        if (!HaveCommand("fpc")) return "";
        const char* buildDir = std::getenv("ORVANTA_BUILD_DIR");
        const std::filesystem::path dir = std::filesystem::path(buildDir ? buildDir : ".") / "tests" / "form_oracle";
        std::filesystem::create_directories(dir);
        const std::string exe = (dir / "form_oracle").string();
        const std::string log = (dir / "fpc.log").string();
        if (Run("fpc -v0 -FE" + Quote(dir.string()) + " -o" + Quote(exe) + " " +
                          Quote(SourcePath("tests/support/FormOracle.pas")) + " >" +
                          Quote(log) + " 2>&1") != 0)
            throw std::runtime_error("fpc cannot build the form oracle:\n" + ReadWholeFile(log));
        return exe;
    }();
    return path;
}

// Runs the oracle on bytes and returns its output file's bytes.
inline std::string Pascal(const std::string& mode, const std::string& input) {
    TempDir dir;
    const std::string in = dir.write("in", input), out = dir.file("out");
    const int status =
        Run(Quote(Oracle()) + " " + mode + " " + in + " " + out + " >" + dir.file("log") + " 2>&1");
    if (status != 0) throw std::runtime_error("the form oracle failed:\n" + ReadWholeFile(dir.file("log")));
    return ReadWholeFile(out);
}

}  // namespace fixtures

#define REQUIRE_ORACLE() \
    if (fixtures::Oracle().empty()) GTEST_SKIP() << "fpc is not installed"
