// orvanta run: a dry run of a setup script on this machine, with the
// portable commands, printing the variables it ends with.
#include <unistd.h>

#include <filesystem>
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
#include "script/mscriptexec.h"
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

// The support folder of the dry run: a fresh temporary folder holding the
// project's support files and a stand-in for the working copy of the
// installer package (session start needs a package to run the script).
class DryRunSupportFolder {
public:
    DryRunSupportFolder(const std::string& projectSupport, const std::string& setupName) {
        path_ = fs::temp_directory_path() / ("orvanta-run-" + std::to_string(::getpid()));
        fs::remove_all(path_);
        fs::create_directories(path_);
        if (!projectSupport.empty())
            fs::copy(projectSupport, path_, fs::copy_options::recursive | fs::copy_options::skip_symlinks);
        std::ofstream(path_ / (setupName + ".msi"), std::ios::binary).close();
    }
    ~DryRunSupportFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    DryRunSupportFolder(const DryRunSupportFolder&) = delete;
    DryRunSupportFolder& operator=(const DryRunSupportFolder&) = delete;
    std::string Path() const { return path_.string() + "/"; }

private:
    fs::path path_;
};

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

void PrepareStartup(const RunInput& input, const std::string& supportFolder, bool silent,
                    const std::vector<std::pair<std::string, std::string>>& overrides) {
    StartupValues& v = Startup();
    v.exeFolder = input.folder;
    v.setupName = input.setupName;
    v.exePath = input.folder + input.setupName + ".exe";
    v.tempFolder = WithSlash(fs::temp_directory_path());
    v.supportFolder = supportFolder;
    v.dataFolder = input.folder + "data/";
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
    bool silent = false;
    std::vector<std::pair<std::string, std::string>> overrides;
    for (const auto& arg : args) {
        if (arg == "--silent") {
            silent = true;
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
    const DryRunSupportFolder support(input.supportFolder, input.setupName);
    PrepareStartup(input, support.Path(), silent, overrides);
    // What only Windows can do is left out of a dry run, with a notice.
    Hooks().skipsWindowsOnly = [&input](int position, const std::string& why) {
        std::cerr << input.Place(position) << ": skipped: " << why << "\n";
        return true;
    };
    RunScript(script, support.Path() + input.setupName + ".msi", nullptr);

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
                             "run <project|payload file> [NAME=VALUE ...] [--silent]", Run);

}  // namespace
