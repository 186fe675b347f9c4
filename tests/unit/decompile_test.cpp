#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <set>

#include "script/Payload.h"
#include "support/PeImage.h"
#include "support/TempDir.h"
#include "system/TextUtils.h"
#include "tools/authoring/CommandCatalogue.h"
#include "tools/authoring/ProjectSource.h"

namespace fs = std::filesystem;

namespace {

std::string BuildDir() {
    const char* buildDir = std::getenv("ORVANTA_BUILD_DIR");
    return buildDir ? buildDir : ".";
}

const fs::path kSource = std::getenv("ORVANTA_SOURCE_DIR") ? std::getenv("ORVANTA_SOURCE_DIR") : ".";

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

int Orvanta(const std::string& arguments) {
    return std::system((BuildDir() + "/orvanta " + arguments + " >/dev/null 2>&1").c_str());
}

// The standard output of a shell command.
std::string Output(const std::string& command) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    pclose(pipe);
    return text;
}

// An engine stand-in: a PE image with one section and nothing appended.
std::string BareImage() { return PeImage({{0x200, 0x200}}); }

// The folders holding a project.orv directly below a folder.
std::vector<fs::path> ProjectsBelow(const fs::path& folder) {
    std::vector<fs::path> projects;
    if (fs::is_directory(folder))
        for (const auto& entry : fs::directory_iterator(folder))
            if (fs::is_regular_file(entry.path() / "project.orv")) projects.push_back(entry.path());
    std::sort(projects.begin(), projects.end());
    return projects;
}

// The project values naming files, which a setup does not carry: decompile
// leaves their lines for the author to complete.
bool NamesFiles(const std::string& line) {
    static const std::set<std::string> kKeys = {"Package", "Support", "Splash",  "Icon",         "Translations",
                                                "Version", "Description", "WebMedia", "PluginLibrary"};
    const size_t eq = line.find('=');
    return eq != std::string::npos && kKeys.count(TrimBlanks(line.substr(0, eq)));
}

// The decompiled source completed as its author would: the original's file
// values in place of the empty lines left for them.
std::string Completed(const std::string& decompiled, const std::string& original) {
    std::string values;
    for (const auto& line : SplitLines(original)) {
        if (TrimBlanks(line) == "[script]") break;
        if (TrimBlanks(line).rfind('#', 0) != 0 && NamesFiles(line)) values += line + "\n";
    }
    std::string completed;
    bool inScript = false;
    for (const auto& line : SplitLines(decompiled)) {
        if (!inScript && line == "[script]") {
            completed += values;
            inScript = true;
        }
        if (inScript || line.rfind('#', 0) == 0 || !NamesFiles(line)) completed += line + "\n";
    }
    return completed;
}

// The only setup program a build wrote into a folder.
fs::path SetupIn(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".exe") return entry.path();
    return {};
}

// Every project source there is: the sample and recording examples, the test
// projects, and the projects the Wine end-to-end scenarios build, collected
// here without Wine; report names the scenarios the collector had to pass over.
std::vector<fs::path> EveryProject(const TempDir& dir, const std::string& engine, std::string& report) {
    std::vector<fs::path> projects = {kSource / "examples/sample"};
    for (const char* folder : {"examples/recording", "tests/projects"})
        for (const auto& p : ProjectsBelow(kSource / folder)) projects.push_back(p);
    const fs::path collected = dir.path() / "e2e";
    report = Output("python3 " + Quoted(kSource / "tests/e2e/built_projects.py") + " --orvanta " +
                     Quoted(BuildDir() + "/orvanta") + " --engine-dir " + Quoted(engine) + " --out " +
                     Quoted(collected) + " 2>&1");
    for (const auto& p : ProjectsBelow(collected)) projects.push_back(p);
    return projects;
}

TEST(DecompileTest, EveryProjectSourceRebuildsToTheSamePayload) {
    if (std::system("command -v 7zz >/dev/null && command -v wixl >/dev/null && command -v msibuild >/dev/null && "
                    "command -v python3 >/dev/null"))
        GTEST_SKIP() << "7zz, wixl, msibuild or python3 missing";
    TempDir dir;
    dir.write("engine/kebstub.exe", BareImage());
    dir.write("engine/keb.dll", BareImage());
    const std::string engine = " --engine-dir " + Quoted(dir.file("engine"));
    std::string report;
    const std::vector<fs::path> projects = EveryProject(dir, dir.file("engine"), report);
    std::cout << projects.size() << " project sources\n" << report;
    EXPECT_GT(projects.size(), 40u) << "the end-to-end scenarios' projects were not collected:\n" << report;

    std::set<std::string> kinds;
    for (size_t i = 0; i < projects.size(); ++i) {
        const fs::path& project = projects[i];
        SCOPED_TRACE(project.string());
        const fs::path work = dir.path() / ("p" + std::to_string(i));
        ASSERT_EQ(Orvanta("build " + Quoted(project) + " -o " + Quoted(work / "first") + engine), 0);
        const fs::path setup = SetupIn(work / "first");
        const std::string first = ReadAppendedData(setup.string());
        ASSERT_FALSE(first.empty());
        for (const auto& name : ReadPayload(first).script.CommandNames) kinds.insert(name);

        // The decompiled source, beside a copy of the original's files.
        fs::copy(project, work / "again", fs::copy_options::recursive);
        const fs::path source = work / "again/project.orv";
        ASSERT_EQ(Orvanta("decompile " + Quoted(setup) + " -o " + Quoted(source)), 0);
        // Checked once the header lines it asks for are completed, as build needs them.
        dir.write(fs::relative(source, dir.path()).string(),
                  Completed(ReadWholeFile(source.string()), ReadWholeFile((project / "project.orv").string())));
        EXPECT_EQ(Orvanta("check " + Quoted(source)), 0) << ReadWholeFile(source.string());
        ASSERT_EQ(Orvanta("build " + Quoted(work / "again") + " -o " + Quoted(work / "second") + engine), 0)
            << ReadWholeFile(source.string());
        EXPECT_EQ(ReadAppendedData(SetupIn(work / "second").string()), first) << ReadWholeFile(source.string());
        fs::remove_all(work);
    }

    std::string missing;
    for (const auto& command : CommandCatalogue())
        if (!kinds.count(command.name)) missing += std::string(" \"") + command.name + "\"";
    EXPECT_EQ(missing, "") << "command kinds no project source round-trips (add them to tests/projects)";
}

// A setup put together by hand, as one downloaded from anywhere may be: the
// engine stand-in with a script no project source gave.
std::string SetupOf(const Script& script) {
    Payload payload;
    payload.project.ProductCode = "{11111111-2222-3333-4444-555555555555}";
    payload.project.RevisionCode = "{21111111-2222-3333-4444-555555555555}";
    payload.script = script;
    return BareImage() + WritePayload(payload);
}

std::string IdOf(size_t n) {
    char id[40];
    std::snprintf(id, sizeof id, "{A0000000-0000-0000-0000-%012zu}", n);
    return id;
}

void AddCommand(Script& s, const std::string& name, const std::string& id, const std::vector<std::string>& values) {
    s.CommandNames.push_back(name);
    s.CommandIds.push_back(id);
    s.CommandFlags.emplace_back();
    s.CommandMediaFolders.emplace_back();
    if (s.ParameterBlocks.empty()) s.ParameterBlocks.emplace_back();
    if (values.empty()) return;
    s.ParameterBlocks[0].push_back(id);
    s.ParameterBlocks[0].insert(s.ParameterBlocks[0].end(), values.begin(), values.end());
}

// Runs orvanta decompile into a file; its exit status, its messages in `messages`.
int Decompile(const TempDir& dir, const std::string& setup, const std::string& source, std::string& messages) {
    const int status = std::system((BuildDir() + "/orvanta decompile " + Quoted(setup) + " -o " + Quoted(source) +
                                    " 2>" + Quoted(dir.file("messages.txt"))).c_str());
    messages = ReadWholeFile(dir.file("messages.txt"));
    return status;
}

TEST(DecompileTest, DeepNestingGivesASourceGrowingWithTheCommandsAlone) {
    constexpr size_t kDepth = 3000;
    Script script;
    for (size_t n = 0; n < kDepth; ++n) AddCommand(script, "If", IdOf(n), {"SILENT", "0", "TRUE", "FALSE"});
    for (size_t n = kDepth; n < 2 * kDepth; ++n) AddCommand(script, "End", IdOf(n), {});
    TempDir dir;
    const std::string source = dir.file("project.orv");
    std::string messages;
    ASSERT_EQ(Decompile(dir, dir.write("deep.exe", SetupOf(script)), source, messages), 0) << messages;
    const std::string text = ReadWholeFile(source);
    EXPECT_LT(text.size(), 2 * kDepth * 400) << "bytes of source for " << 2 * kDepth << " commands";
    size_t widest = 0;
    for (const auto& line : SplitLines(text))
        if (!line.empty()) widest = std::max(widest, line.find_first_not_of(' '));
    EXPECT_LT(widest, 100u) << "blanks before the deepest command";
    // Read back, the source gives the same commands.
    const Script again = ParseProject(text, source).payload.script;
    EXPECT_EQ(again.CommandNames, script.CommandNames);
    EXPECT_EQ(again.CommandIds, script.CommandIds);
    EXPECT_EQ(again.ParameterBlocks, script.ParameterBlocks);
}

TEST(DecompileTest, CommandsSharingAnIdAreRefusedByName) {
    // Each of them would repeat the whole list that follows the one id line.
    constexpr size_t kCommands = 1000;
    Script script;
    script.ParameterBlocks.emplace_back(1, IdOf(7));
    for (size_t n = 0; n < kCommands; ++n) {
        script.CommandNames.push_back("Comment");
        script.CommandIds.push_back(IdOf(7));
        script.CommandFlags.emplace_back();
        script.CommandMediaFolders.emplace_back();
        script.ParameterBlocks[0].push_back("line " + std::to_string(n));
    }
    TempDir dir;
    std::string messages;
    EXPECT_NE(Decompile(dir, dir.write("shared.exe", SetupOf(script)), dir.file("project.orv"), messages), 0);
    EXPECT_NE(messages.find("commands 0 and 1 share the id '" + IdOf(7) + "'"), std::string::npos) << messages;
    EXPECT_FALSE(fs::exists(dir.file("project.orv")));
}

TEST(DecompileTest, BareEngineAndNonImagesAreRefused) {
    TempDir dir;
    EXPECT_NE(Orvanta("decompile " + dir.write("bare.exe", BareImage())), 0);
    EXPECT_NE(Orvanta("decompile " + dir.write("text.exe", "not an image")), 0);
    EXPECT_NE(Orvanta("decompile " + dir.file("missing.exe")), 0);
}

}  // namespace
