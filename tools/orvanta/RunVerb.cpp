// orvanta run: a dry run of a setup script on this machine, with the
// portable commands, printing the variables it ends with; what it writes
// stays in a scratch folder of its own unless real writes are asked for.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iostream>

#include "Subcommand.h"
#include "tools/authoring/FileBytes.h"
#include "tools/authoring/ProjectCheck.h"
// Before the start-up values: their Project() function hides the struct's name.
#include "tools/authoring/ProjectSource.h"
#include "core/StartupValues.h"
#include "script/CheckScript.h"
#include "core/InterpreterHooks.h"
#include "core/VariableStore.h"
#include "script/CommandTable.h"
#include "script/mscriptexec.h"
#include "system/NativePath.h"
#include "system/HostMessageBoxes.h"
#include "system/HostShellFolders.h"
#include "system/ShellFolders.h"

namespace fs = std::filesystem;

namespace {

struct RunInput {
    Payload payload;
    std::string folder;         // where the setup would sit, with a trailing slash
    std::string setupName;
    std::string supportFolder;  // empty when there is none
    std::string sourceFile;     // the project source; empty for a payload file
    std::vector<int> commandLines;  // source line of each command of a project
    std::string path;           // as given on the command line
    std::vector<std::string> findings;  // of the check; the script runs only without any

    // Where messages about the 1-based command at position point: the source
    // line of a project, else the command's number in the payload file.
    std::string Place(int position) const {
        const size_t index = static_cast<size_t>(position - 1);
        if (position >= 1 && index < commandLines.size())
            return sourceFile + ":" + std::to_string(commandLines[index]);
        return path + ": command " + std::to_string(position);
    }
};

// The dry run's own folder, fresh and private: it holds the support folder
// (the project's support files and a stand-in for the working copy of the
// installer package, which session start needs), the temporary folder and
// the data folder, and it is the run's current folder, so that a Windows
// path such as C:\Program Files\... lands inside it too. Removed at the end
// unless the script left files in it.
class ScratchFolder {
public:
    ScratchFolder(const std::string& projectSupport, const std::string& setupName) {
        std::string pattern = (fs::temp_directory_path() / "orvanta-run-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder in " + pattern);
        path_ = pattern;
        try {
            fs::create_directories(support());
            fs::create_directories(path_ / "temp");
            if (!projectSupport.empty())
                fs::copy(projectSupport, support(), fs::copy_options::recursive | fs::copy_options::skip_symlinks);
            std::ofstream(support() / (setupName + ".msi"), std::ios::binary).close();
            previous_ = fs::current_path();
            fs::current_path(path_);
        } catch (...) {
            std::error_code ignored;
            fs::remove_all(path_, ignored);
            throw;
        }
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::current_path(previous_, ignored);
        fs::remove_all(support(), ignored);
        for (const char* folder : {"temp", "data"}) fs::remove(path_ / folder, ignored);  // only when empty
        if (fs::is_empty(path_, ignored)) fs::remove(path_, ignored);
        else std::cerr << "orvanta run: what the script wrote is in " << path_.string() << "\n";
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string SupportFolder() const { return support().string() + "/"; }
    std::string TempFolder() const { return (path_ / "temp").string() + "/"; }
    std::string DataFolder() const { return (path_ / "data").string() + "/"; }
    const fs::path& path() const { return path_; }
    // Whether an engine path lies inside the folder, seen from the run's current folder.
    bool Holds(const std::string& enginePath) const {
        const fs::path target = fs::absolute(NativePath(enginePath)).lexically_normal();
        const auto [inside, rest] = std::mismatch(path_.begin(), path_.end(), target.begin(), target.end());
        return inside == path_.end();
    }

private:
    fs::path support() const { return path_ / "support"; }
    fs::path path_, previous_;
};

// The commands a dry run does not carry out as Windows would: each says so
// at its place when it comes. Commands that write a file or folder the
// script names write only inside the scratch folder unless real writes are
// asked for; the dialogs show no window; the installer does not run.
void WatchCommands(const RunInput& input, const ScratchFolder& scratch, bool writeAnywhere) {
    CommandTable& table = EngineCommands();
    const auto watch = [&](const char* name, std::function<void(CommandContext&, const CommandHandler&)> around) {
        const CommandHandler engine = *table.Find(name);
        table.Register(name, [engine, around](CommandContext& c) { around(c, engine); });
    };
    const auto notice = [&input](const CommandContext& c, const std::string& text) {
        std::cerr << input.Place(c.position()) << ": " << text << "\n";
    };
    const struct {
        const char* command;
        size_t parameter;  // the file or folder written
    } writers[] = {{"Write to Text File", 1}, {"Save Feature Selections", 1}, {"Extract 7Zip Archive", 2}};
    for (const auto& writer : writers) {
        if (writeAnywhere) break;
        const size_t parameter = writer.parameter;
        watch(writer.command, [&scratch, notice, parameter](CommandContext& c, const CommandHandler& engine) {
            const std::string target = c.Path(parameter);
            if (scratch.Holds(target)) return engine(c);
            notice(c, "skipped: \"" + c.name() + "\" writes " + target + ", outside the scratch folder " +
                          scratch.path().string() + " (--write-anywhere lets it)");
        });
    }
    watch("Display Dialog", [notice](CommandContext& c, const CommandHandler& engine) {
        notice(c, "imitated: \"Display Dialog\" " + c.Raw(1) + " shows no window (a modal dialog answers Next)");
        engine(c);
    });
    for (const char* installer : {"Apply Changes", "Apply Patch"})
        watch(installer, [notice](CommandContext& c, const CommandHandler& engine) {
            notice(c, "skipped: \"" + c.name() + "\" needs Windows: the installer runs only there");
            engine(c);  // it reports the failure the script sees
        });
}

std::string WithSlash(const fs::path& folder) {
    std::string text = folder.string();
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

// A project folder or ".orv" source, or a raw payload file.
RunInput LoadInput(const std::string& path) {
    RunInput input;
    input.path = path;
    if (fs::is_directory(path) || fs::path(path).extension() == ".orv") {
        struct Project project = LoadProject(path);
        // The same check as build: a mistake is named at its line before anything runs.
        input.findings = CheckProject(project).findings;
        input.payload = std::move(project.payload);
        input.folder = WithSlash(fs::absolute(project.folder));
        input.setupName = project.setupName;
        input.sourceFile = project.sourceFile;
        input.commandLines = project.commandLines;
        if (!project.supportFolder.empty()) input.supportFolder = WithSlash(fs::absolute(fs::path(project.folder) / project.supportFolder));
        return input;
    }
    if (!fs::is_regular_file(path)) throw UsageError{"cannot read " + path};
    input.payload = ReadPayload(ReadFileBytes(path));
    input.folder = WithSlash(fs::absolute(path).parent_path());
    input.setupName = fs::path(path).stem().string();
    // A payload has no source for the authoring check: the engine's own check.
    if (const ScriptCheckResult check = CheckScript(input.payload.script); !check.ok())
        input.findings.push_back(input.Place(check.commandNumber + 1) + ": " + check.message);
    return input;
}

void PrepareStartup(const RunInput& input, const ScratchFolder& scratch, bool silent,
                    const std::vector<std::pair<std::string, std::string>>& overrides) {
    StartupValues& v = Startup();
    v.exeFolder = input.folder;
    v.setupName = input.setupName;
    v.exePath = input.folder + input.setupName + ".exe";
    v.tempFolder = scratch.TempFolder();
    v.supportFolder = scratch.SupportFolder();
    v.dataFolder = scratch.DataFolder();
    v.silent = silent;
    v.overrides = overrides;
    Project() = input.payload.project;
    // The folders a Windows machine would answer with.
    HostShellState().folders[kFolderProgramFiles] = "C:\\Program Files\\";
    HostShellState().folders[kFolderCommonFiles] = "C:\\Program Files\\Common Files\\";
    HostShellState().folders[kFolderPersonal] = "C:\\Users\\user\\Documents\\";
    HostShellState().folders[kFolderDesktop] = "C:\\Users\\user\\Desktop\\";
    HostShellState().folders[kFolderCommonDesktop] = "C:\\Users\\Public\\Desktop\\";
}

int Run(const std::vector<std::string>& args) {
    std::string path;
    bool silent = false, writeAnywhere = false;
    std::vector<std::pair<std::string, std::string>> overrides;
    for (const auto& arg : args) {
        if (arg == "--silent") {
            silent = true;
        } else if (arg == "--write-anywhere") {
            writeAnywhere = true;
        } else if (path.empty()) {
            path = arg;
        } else {
            const size_t equals = arg.find('=');
            if (equals == std::string::npos || equals == 0) throw UsageError{"expected NAME=VALUE, got '" + arg + "'"};
            overrides.emplace_back(arg.substr(0, equals), arg.substr(equals + 1));
        }
    }
    if (path.empty()) throw UsageError{"no project or payload given"};

    const RunInput input = LoadInput(path);
    for (const auto& finding : input.findings) std::cerr << finding << "\n";
    if (!input.findings.empty()) return 1;
    const Script& script = input.payload.script;
    const ScratchFolder scratch(input.supportFolder, input.setupName);
    PrepareStartup(input, scratch, silent, overrides);
    WatchCommands(input, scratch, writeAnywhere);
    // What only Windows can do is left out of a dry run, with a notice.
    Hooks().skipsWindowsOnly = [&input](int position, const std::string& why) {
        std::cerr << input.Place(position) << ": skipped: " << why << "\n";
        return true;
    };
    RunScript(script, scratch.SupportFolder() + input.setupName + ".msi", nullptr);

    const auto& failure = LastScriptFailure();
    const std::string errorReport = LastScriptErrorReport();
    for (const auto& box : HostBoxes().shown)
        if (box.text != errorReport)  // the error is printed below
            std::cerr << "message box \"" << box.caption << "\": " << box.text << "\n";
    for (const auto& [name, value] : ListVariables()) std::cout << name << "=" << CrLfToNewline(value) << "\n";
    if (failure) {
        std::cerr << input.Place(failure->position) << ": " << CrLfToNewline(failure->message) << "\n";
        return 1;
    }
    std::cout << "exit code: " << Startup().exitCode << "\n";
    return 0;
}

const OrvantaSubcommand kRun("run", "runs a project's script on this computer",
                             "run <project|payload file> [NAME=VALUE ...] [--silent] [--write-anywhere]", Run);

}  // namespace
