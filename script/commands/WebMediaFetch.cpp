#include "script/commands/WebMediaFetch.h"

#include "core/EngineLog.h"
#include "core/StartupValues.h"
#include "core/ProgressState.h"
#include "core/VariableStore.h"
#include "dialogs/RetryDialogs.h"
#include "installer/ApplySystem.h"
#include "media/WebMediaBlock.h"
#include "script/CommandTable.h"
#include "script/RecordedChanges.h"
#include "system/MessageBox.h"
#include "system/ShellFolders.h"
#include "system/TextUtils.h"

namespace {

// The data folder: in the application-data caching mode it follows ALLUSERS
// and becomes the engine's current data folder.
std::string MediaDataFolder() {
    if (Project().MediaMode != 2) return WithBackslash(GetVariable("DATADIR"));
    Startup().dataFolder = AppDataFolder(TextToBool(GetVariable("ALLUSERS"))) + GetVariable("REVISIONCODE") + "\\";
    return Startup().dataFolder;
}

MediaFetchRequest FetchRequestFor(const std::string& block) {
    const WebMediaBlock& current = CurrentWebMediaBlock();
    const StartupValues& startup = Startup();
    MediaFetchRequest request;
    request.block = block;
    request.url = current.url;
    request.archivePath = current.archivePath;
    request.removing = GetVariable("REMOVE") == "TRUE";
    if (request.removing) return request;  // nothing is fetched, and the data folder stays as it is
    request.dataFolder = MediaDataFolder();
    const std::string sfxPath = GetVariable("SFXPATH");
    request.sourceFolder = sfxPath.empty() ? GetVariable("EXEDIR") : sfxPath;
    request.offlineSourceFolder = startup.mediaSourceFolder;
    request.revisionCode = GetVariable("REVISIONCODE");
    request.silent = startup.silent;
    request.tempFolder = startup.tempFolder;
    request.supportFolder = startup.supportFolder;
    request.mediaPassword = startup.mediaPassword;
    request.mediaFileMap = Project().MediaFileMap;
    request.questions.retryDownloadWithProxy = AskRetryDownloadWithProxy;
    request.questions.retryDownloadResume = AskRetryDownloadResume;
    request.questions.retryExtraction = AskRetryExtraction;
    return request;
}

}  // namespace

void ReportStoppingMessage(const std::string& message) {
    if (!Startup().silent) {
        ShowMessageBox(ProgressOwnerWindow(), message, kProductCaption, kMbOk | kMbIconError);
        return;
    }
    AppendToEngineLog(message);
}

bool FetchBlockForCommand(CommandContext& c, const std::string& block) {
    try {
        FetchMediaBlock(FetchRequestFor(block));
        return true;
    } catch (const MediaFetchError& error) {
        ReportStoppingMessage(error.what());
    }
    c.StopScriptOnFailure();
    return false;
}
