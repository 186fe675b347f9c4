#include "bootstrap/kebstub.h"

#include <optional>

#include "bootstrap/CommandLine.h"
#include "core/EngineMessages.h"
#include "core/StartupValues.h"
#include "bootstrap/uSetupInit.h"
#include "bootstrap/uSetupSplash.h"
#include "dialogs/uDlgAPI.h"
#include "media/uSevenZipAPI.h"
#include "script/mscriptexec.h"
#include "system/FailureReason.h"
#include "system/Files.h"
#include "system/MessageBox.h"
#include "system/Process.h"
#include "system/ProgramStart.h"

namespace {

void ShowError(WindowHandle owner, const std::string& text) {
    if (!Startup().silent) ShowMessageBox(owner, text, kProductCaption, kMbOk | kMbIconError);
}

// Ends a failed run: message 5 with the reason, exit code 11.
int Fail(const std::string& reason) {
    ShowError(0, EngineText(EngineMessage::InstallRuntimeError) + reason);
    Startup().exitCode = kStartupFailureExitCode;
    return Startup().exitCode;
}

// The early ends that keep the support folder: the message, and exit code 11
// so that a deployment tool does not read a setup that could not start as
// installed. Returns false for RunGuardedSteps.
bool EndEarly(WindowHandle owner, const std::string& text) {
    ShowError(owner, text);
    Startup().exitCode = kStartupFailureExitCode;
    return false;
}

// The commands whose dialog is loaded ahead of the run.
bool ShowsDialog(const Script& script, size_t n) {
    return script.CommandNames[n] == "Display Dialog" && !script.IsCommentedOut(n);
}

int CountDialogs(const Script& script) {
    int count = 0;
    for (size_t n = 0; n < script.size(); ++n)
        if (ShowsDialog(script, n)) ++count;
    return count;
}

void CopyInstallerPackage(const StartupValues& v, const char* extension) {
    const std::string source = v.exeFolder + v.setupName + extension;
    if (!FileExists(source)) return;
    const std::string copy = v.supportFolder + v.setupName + extension;
    if (!CopyFileOver(source, copy)) throw StartupError(WithFailureReason("Cannot copy " + source + " to " + copy));
    SetNormalAttributes(copy);
}

void PreloadDialogs(const Script& script, const std::string& supportFolder, StartupWindows* windows) {
    InitDialogs(supportFolder);
    for (size_t n = 0; n < script.size(); ++n) {
        if (!ShowsDialog(script, n)) continue;
        LoadDialog(std::to_string(n),
                   supportFolder + GetParameter(script.ParameterBlocks, script.CommandIds[n], 1) + ".dfm");
        if (windows) windows->Step();
    }
}

// Steps from the payload to the end of the script. Returns false for the early
// ends that keep the support folder (their message was shown, exit code 11).
bool RunGuardedSteps(std::optional<StartupWindows>& windows) {
    StartupValues& v = Startup();
    const WindowHandle owner = windows ? windows->PreparingWindow() : 0;
    const std::optional<AppendedData> appended = FindAppendedData(v.exePath);
    if (!appended) throw StartupError("Cannot read the setup program " + v.exePath);
    if (appended->length == 0) return EndEarly(owner, "For internal use only");
    Payload payload = ReadSetupPayload(v.exePath, appended->offset, appended->length);
    Project() = payload.project;
    Script& script = payload.script;

    v.supportFolder = CreateSupportFolder(v.tempFolder);
    if (!FileExists(v.resourceArchive)) return EndEarly(owner, EngineText(EngineMessage::SetupResourceNotFound));
    std::string extractionError;
    if (!ExtractArchiveFiles(v.resourceArchive, "", v.supportFolder, {}, nullptr, extractionError, true, true))
        return EndEarly(owner, EngineText(EngineMessage::SetupResourceDecompressionFailed));
    if (!FileExists(v.exeFolder + v.setupName + ".msi") && !FileExists(v.exeFolder + v.setupName + ".msp"))
        return EndEarly(owner, EngineText(EngineMessage::SetupDatabaseNotFound));
    CopyInstallerPackage(v, ".msi");
    CopyInstallerPackage(v, ".msp");
    v.dataFolder = v.exeFolder + "data\\";

    if (windows) windows->SetProgressRange(CountDialogs(script));
    PreloadDialogs(script, v.supportFolder, windows ? &*windows : nullptr);
    windows.reset();

    RunScript(script, v.supportFolder + v.setupName + ".msi", nullptr);
    return true;
}

}  // namespace

int RunSetupEngine() {
    StartupValues& v = Startup();
    RestrictToFirstProcessor();
    SetEnginePaths(v, ExecutablePath());
    const bool tempReady = PrepareTemporaryFolder(v, TemporaryFolder());
    const std::string tempFailure = LastFailureReason();
    const std::string library = v.exeFolder + "keb.dll";
    const bool libraryLoaded = LoadEngineMessages(library);
    const std::string libraryFailure = LastFailureReason();
    EvaluateCommandLine(RawCommandLine(), v);

    // Without these nothing can be unpacked; say so before any window opens.
    if (!libraryLoaded)
        return Fail(WithReason("The setup library " + library + " is missing or cannot be loaded.", libraryFailure));
    if (!tempReady)
        return Fail(WithReason("The temporary folder " + v.tempFolder + " cannot be created.", tempFailure));

    if (CommonControlsOutdated(ReadFileVersion(SystemFolder() + "comctl32.dll"))) {
        EndEarly(0, EngineText(EngineMessage::CommonControlsUpdateRequired));
        return v.exitCode;
    }

    std::optional<StartupWindows> windows;
    if (!v.silent) {
        const std::string picture = v.exeFolder + "setup.bmp";
        windows.emplace(FileExists(picture) ? picture : std::string());
    }
    try {
        if (!RunGuardedSteps(windows)) return v.exitCode;
    } catch (const std::exception& e) {
        windows.reset();
        Fail(e.what());
    } catch (...) {
        windows.reset();
        Fail("unexpected failure");
    }
    // Programs the script did not wait for may still need their clean-up.
    FinishAfterEndTasks();
    RemoveSupportFolder(v.supportFolder);
    return v.exitCode;
}
