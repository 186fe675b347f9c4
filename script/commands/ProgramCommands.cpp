// The commands that start other code: programs (also as another user), a
// light-mode setup built from a payload file, COM registration and 7z
// extraction. The long-running ones run on a worker while the dialog on
// screen stays alive (core/WorkerPolling.h).
#include <functional>
#include <memory>

#include "core/ProgressState.h"
#include "core/WorkerPolling.h"
#include "media/MediaWorkers.h"
#include "script/CommandTable.h"
#include "core/ScriptError.h"
#include "core/VariableStore.h"
#include "script/commands/CommandFamilies.h"
#include "script/commands/LightModeSetup.h"
#include "system/ComRegistration.h"
#include "system/ProgramStart.h"
#include "system/TextUtils.h"

namespace {

constexpr int32_t kLightModeBuildFailed = -1;

// Runs a program start on the worker while the dialog shows PROGRESSTEXT at
// PROGRESS (set by the script before the command).
int32_t RunProgramWorker(const std::function<int32_t()>& start) {
    const std::string text = GetVariable("PROGRESSTEXT");
    const std::string positionText = GetVariable("PROGRESS");
    const auto position = ParseInt32(positionText);
    if (!position) throw ScriptError("'" + positionText + "' is not a valid integer value");
    int32_t exitCode = kProgramNotStarted;
    RunPolledWorker([&] { exitCode = start(); }, [&] { SetProgress(text, 0, 100, *position); });
    return exitCode;
}

void StoreExitCode(const CommandContext& c, size_t parameter, int32_t code) {
    const std::string variable = c.Raw(parameter);
    if (!variable.empty()) c.SetResult(variable, std::to_string(code));
}

void RunProgram(CommandContext& c) {
    const std::string program = c.Path(1), parameters = c.Path(3);
    const bool hidden = c.Flag(2), wait = c.Flag(4);
    StoreExitCode(c, 5, RunProgramWorker([&] { return RunShellProgram(program, parameters, hidden, wait); }));
}

void RunProgramAsUser(CommandContext& c) {
    RunAsRequest request;
    request.program = c.Path(1);
    request.workingFolder = c.Path(2);
    request.parameters = c.Path(3);
    request.windowMode = c.Integer(4);
    if (request.windowMode < 0 || request.windowMode > 4)
        throw ScriptError("'" + c.Expanded(4) + "' is not a window mode (0 to 4)");
    request.user = c.Path(5);
    request.password = c.Path(6);
    request.domain = c.Path(7);
    request.wait = c.Flag(9);
    request.environment = c.Path(10);
    StoreExitCode(c, 8, RunProgramWorker([&] { return RunProgramAs(request); }));
}

void RunLightModeSetup(CommandContext& c) {
    const std::string file = c.Path(1), parameters = c.Path(3);
    const bool wait = c.Flag(4);
    // Shared with the after-end task: the original comes back once the setup
    // has ended, also when the script does not wait for it.
    const auto setup = std::make_shared<LightModeSetup>(file);
    if (!setup->Build()) return StoreExitCode(c, 2, kLightModeBuildFailed);
    StoreExitCode(c, 2, RunProgramWorker([&] {
                      return RunShellProgram(file, parameters, false, wait, [setup] { setup->Restore(); });
                  }));
}

void RegisterLibrary(CommandContext& c) {
    const bool registered = RegisterComFile(c.Path(1), c.Flag(2));
    const std::string variable = c.Raw(3);
    if (!variable.empty()) c.SetResult(variable, BoolToText(registered));
}

void Extract7ZipArchive(CommandContext& c) {
    const std::string archive = c.Path(1), destination = c.Path(2), password = c.Expanded(4);
    const bool overwriteAll = c.Flag(5), extractFlag = c.Flag(6);
    const std::string text = GetVariable("PROGRESSTEXT");
    MediaWorkerStatus status;
    std::string errorText;
    RunPolledWorker(
        [&] {
            status.success = ExtractArchiveWithProgress(archive, password, destination, overwriteAll, extractFlag,
                                                        status, errorText);
        },
        [&] {
            SetProgress(text + "\r" + status.text(), 0, 100, status.percent());
            if (CancelState() == -1) status.cancel = true;
        });
    const std::string variable = c.Raw(3);
    if (!variable.empty()) c.SetResult(variable, status.success ? "SUCCESS" : errorText);
}

}  // namespace

void RegisterProgramCommands(CommandTable& table) {
    table.Register("Run Program", RunProgram);
    table.Register("Run Program As", RunProgramAsUser);
    table.Register("Run Light Mode Setup", RunLightModeSetup);
    table.Register("Register Library", RegisterLibrary);
    table.Register("Extract 7Zip Archive", Extract7ZipArchive);
}
