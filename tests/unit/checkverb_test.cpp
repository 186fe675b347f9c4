#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "support/TempDir.h"

namespace {

// Runs build/host/orvanta check on a project folder; output and exit status.
std::pair<std::string, int> CheckProject(const TempDir& dir) {
    const char* buildDir = std::getenv("ORVANTA_BUILD_DIR");
    const std::string command =
        std::string(buildDir ? buildDir : ".") + "/orvanta check " + dir.path().string() + " 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string text;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) text.append(buffer, n);
    return {text, WEXITSTATUS(pclose(pipe.release()))};
}

const char* kHead =
    "ProductCode = {11111111-2222-3333-4444-555555555555}\nRevisionCode = {21111111-2222-3333-4444-555555555555}\n[script]\n";

TEST(CheckVerbTest, MessagesNameTheSourceLineOfTheOffendingCommand) {
    TempDir dir;
    dir.write("project.orv", std::string(kHead) +
                                 "Comment\n"
                                 "\n"
                                 "If\n  | LATER\n  | 0\n  | x\n  | FALSE\n"
                                 "End\n"
                                 "Set Variable\n  | LATER\n  | 1\n");
    auto [text, status] = CheckProject(dir);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(text, dir.file("project.orv") + ":6: Variable not defined: LATER\n");

    dir.write("project.orv", std::string(kHead) + "Set Variable\n  | LATER\n  | 1\nIf\n  | LATER\n  | 0\n  | x\nEnd\n");
    std::tie(text, status) = CheckProject(dir);
    EXPECT_EQ(status, 0) << text;
    EXPECT_NE(text.find("Script compiled successfully"), std::string::npos);

    dir.write("project.orv", std::string(kHead) + "  | orphan\n");
    std::tie(text, status) = CheckProject(dir);
    EXPECT_EQ(status, 1);
    EXPECT_NE(text.find("project.orv:4: parameter line before the first command"), std::string::npos);
}

TEST(CheckVerbTest, RecordingCommandValuesThatGiveNoRowsAreFindings) {
    TempDir dir;
    dir.write("project.orv", std::string(kHead) + "Comment\n  | services\n"
                                                  "Control Service\n  | Spooler\n  |\n  | restart\n");
    auto [text, status] = CheckProject(dir);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(text, dir.file("project.orv") +
                        ":6: \"Control Service\": p3 'restart' is not one of start, stop, remove\n");
}

}  // namespace
