// orvanta run writes only inside a scratch folder of its own, unless real
// writes are asked for, and names each command it does not carry out as
// Windows would.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "script/Payload.h"
#include "support/OrvantaShell.h"
#include "support/ScriptBuilder.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::string WritePayloadFile(const TempDir& dir, const ScriptBuilder& b) {
    Payload payload;
    payload.script = b.script();
    return dir.write("setup.payload", WritePayload(payload));
}

// The value of NAME in the variables a run prints.
std::string PrintedValue(const std::string& output, const std::string& name) {
    const size_t start = output.find("\n" + name + "=");
    if (start == std::string::npos) return {};
    const size_t value = start + name.size() + 2;
    return output.substr(value, output.find('\n', value) - value);
}

TEST(RunScratchTest, WritesStayInTheScratchFolderUnlessRealWritesAreAsked) {
    TempDir dir;
    const std::string outside = dir.file("outside.txt");
    ScriptBuilder b;
    b.Add("Write to Text File", {"$TEMPDIR$note.txt", "in the scratch folder", "FALSE"})
        .Add("Write to Text File", {outside, "outside", "FALSE"})
        .Add("Write to Text File", {"C:\\notes.txt", "a Windows path", "FALSE"})
        .Add("Write to Text File", {"$TEMPDIR$..\\..\\escaped.txt", "above the scratch folder", "FALSE"});
    const std::string payload = WritePayloadFile(dir, b);
    auto [text, status] = Shell("cd " + dir.path().string() + " && " + OrvantaProgram() + " run " + payload + " --silent");
    EXPECT_EQ(status, 0) << text;
    const std::string temp = PrintedValue(text, "TEMPDIR");
    ASSERT_FALSE(temp.empty()) << text;
    const fs::path scratch = fs::path(temp).parent_path().parent_path();
    EXPECT_EQ(scratch.parent_path(), fs::temp_directory_path());
    EXPECT_EQ(ReadWholeFile(temp + "note.txt"), "in the scratch folder\r\n");
    EXPECT_NE(text.find(payload + ": command 2: skipped: \"Write to Text File\" writes " + outside +
                        ", outside the scratch folder " + scratch.string() + " (--write-anywhere lets it)"),
              std::string::npos) << text;
    EXPECT_NE(text.find(payload + ": command 4: skipped: \"Write to Text File\" writes " + temp + "..\\..\\escaped.txt"),
              std::string::npos) << text;
    EXPECT_FALSE(fs::exists(outside));
    EXPECT_FALSE(fs::exists(scratch.parent_path() / "escaped.txt"));
    // A Windows path is a path below the scratch folder, not below the folder orvanta was started in.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1) << "only setup.payload";
    EXPECT_NE(text.find("orvanta run: what the script wrote is in " + scratch.string() + "\n"), std::string::npos)
        << text;
    fs::remove_all(scratch);

    ScriptBuilder real;
    real.Add("Write to Text File", {outside, "outside", "FALSE"});
    std::tie(text, status) = RunOrvanta("run " + WritePayloadFile(dir, real) + " --silent --write-anywhere");
    EXPECT_EQ(status, 0) << text;
    EXPECT_EQ(ReadWholeFile(outside), "outside\r\n");
    EXPECT_EQ(text.find("skipped"), std::string::npos) << text;
    fs::remove_all(fs::path(PrintedValue(text, "TEMPDIR")).parent_path().parent_path());
}

TEST(RunScratchTest, ARunThatWritesNothingLeavesNoFolderAndNamesWhatItImitates) {
    TempDir dir;
    ScriptBuilder b;
    b.Add("Set Variable", {"A", "1"})
        .Add("Display Dialog", {"welcome", "ANSWER", "TRUE", "", "TRUE", "FALSE"})
        .Add("Apply Changes", {"progress", "RESULT", "TRUE", "FALSE"});
    const std::string payload = WritePayloadFile(dir, b);
    const auto [text, status] = RunOrvanta("run " + payload);
    EXPECT_EQ(status, 0) << text;
    EXPECT_NE(text.find(payload + ": command 2: imitated: \"Display Dialog\" welcome shows no window (a modal "
                                  "dialog answers Next)\n"), std::string::npos) << text;
    EXPECT_NE(text.find(payload + ": command 3: skipped: \"Apply Changes\" needs Windows: the installer runs only "
                                  "there\n"), std::string::npos) << text;
    EXPECT_EQ(PrintedValue(text, "ANSWER"), "NEXT") << text;
    const std::string temp = PrintedValue(text, "TEMPDIR");
    ASSERT_FALSE(temp.empty()) << text;
    EXPECT_FALSE(fs::exists(fs::path(temp).parent_path().parent_path())) << "the scratch folder is removed";
    EXPECT_EQ(text.find("what the script wrote"), std::string::npos) << text;
}

}  // namespace
