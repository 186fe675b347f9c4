// Commands provided by plug-in libraries: the library gets the command's own
// parameter text and all variables, runs on a worker thread while the dialog
// on screen shows its progress, and the variables it hands back replace the
// store whole.
#include <atomic>
#include <mutex>

#include "core/EngineMessages.h"
#include "core/StartupValues.h"
#include "core/ProgressState.h"
#include "core/WorkerPolling.h"
#include "script/CommandTable.h"
#include "core/ScriptError.h"
#include "core/VariableStore.h"
#include "script/commands/CommandFamilies.h"
#include "script/commands/WebMediaFetch.h"
#include "system/Files.h"
#include "system/FolderDialog.h"
#include "system/MessageBox.h"
#include "system/PathParts.h"
#include "system/PluginLibrary.h"
#include "system/TextUtils.h"

namespace {

const char kLibraryMissing[] =
    "Unable to load plug-in library. Please rebuild your project and make sure all required plug-ins are "
    "installed.\r\rAction skipped";

// What the library reports, read by the script thread on every poll.
struct PluginProgress {
    std::mutex lock;
    int32_t position = -1;
    std::string text;
    std::atomic<bool> cancel{false};
};

// A library in a block of the data folder (parameter 2 is "plug-in
// folder\library"): while it is missing, the user may point at the original
// setup sources, whose folder then serves as the data folder.
std::string LibraryInDataFolder(const std::string& block, const std::string& library) {
    std::string dataFolder = WithBackslash(GetVariable("DATADIR"));
    while (!FileExists(dataFolder + block + library) && !Startup().silent) {
        const auto chosen = BrowseForFolder(ProgressOwnerWindow(), EngineText(EngineMessage::LocateSourcesTitle));
        if (!chosen) break;
        dataFolder = WithBackslash(*chosen);
    }
    if (!FileExists(dataFolder + block + library)) throw ScriptError(EngineText(EngineMessage::SourcesNotFound));
    if (dataFolder != WithBackslash(GetVariable("DATADIR"))) Startup().dataFolder = dataFolder;
    return dataFolder + block + library;
}

// The library's full path; empty when the script ends because its web media
// block could not be fetched.
std::string LocateLibrary(CommandContext& c) {
    const std::string& block = c.script().CommandMediaFolders[c.number()];
    const std::string library = c.Raw(2);
    if (block.empty()) return WithBackslash(GetVariable("SUPPORTDIR")) + FileNameOf(library);
    if (Project().MediaMode != 2) return LibraryInDataFolder(block, library);
    if (!FetchBlockForCommand(c, block)) return {};
    // The fetch settles the data folder of this caching mode.
    return WithBackslash(Startup().dataFolder) + block + library;
}

void RunPluginCommand(CommandContext& c) {
    const std::string libraryPath = LocateLibrary(c);
    if (libraryPath.empty()) return;
    if (!FileExists(libraryPath)) {
        if (!Startup().silent) ShowMessageBox(ProgressOwnerWindow(), kLibraryMissing, kProductCaption, kMbOk | kMbIconError);
        return;
    }
    PluginProgress progress;
    progress.text = GetVariable("PROGRESSTEXT");
    PluginCall call;
    call.libraryPath = libraryPath;
    call.variables = SnapshotVariables();
    call.parameters = c.Raw(1);
    call.window = static_cast<uint32_t>(ProgressOwnerWindow());
    call.progress = [&progress](int32_t position, const std::string& text) {
        std::lock_guard guard(progress.lock);
        progress.position = position;
        progress.text = text;
        return !progress.cancel;
    };
    std::optional<std::string> result;
    RunPolledWorker([&] { result = CallRunTimeExecute(call); },
                    [&progress] {
                        {
                            std::lock_guard guard(progress.lock);
                            SetProgress(progress.text, 0, 100, progress.position);
                        }
                        if (CancelState() == -1) progress.cancel = true;
                    });
    // A library that failed leaves the variables as they were.
    if (result) RestoreVariables(*result);
}

}  // namespace

void RegisterPluginCommands(CommandTable& table) { table.RegisterPluginRunner(RunPluginCommand); }
