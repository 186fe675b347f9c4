#include "script/commands/WebMediaFetch.h"

#include "core/StartupValues.h"
#include "core/ProgressState.h"
#include "installer/ApplySystem.h"
#include "media/WebMediaBlock.h"
#include "script/CommandTable.h"
#include "script/RecordedChanges.h"
#include "system/Files.h"
#include "system/MessageBox.h"
#include "system/PathParts.h"
#include "system/TextUtils.h"
#include "system/WideText.h"

namespace {

// The log is the installer's log file, UTF-16LE as the installer writes it:
// the line joins whatever is there.
void AppendToLog(const std::string& path, const std::string& line) {
    const std::string folder = FolderOf(path);
    if (!folder.empty()) CreateFolderTree(folder);
    std::string content = ReadFileText(path).value_or("");
    content += Utf16LeFromAnsi("Orvanta: " + line + "\r\n");
    WriteWholeFile(path, content);
}

}  // namespace

void ReportStoppingMessage(const std::string& message) {
    if (!Startup().silent) {
        ShowMessageBox(ProgressOwnerWindow(), message, kProductCaption, kMbOk | kMbIconError);
        return;
    }
    if (!Startup().logFile.empty()) AppendToLog(Startup().logFile, message);
}

bool FetchBlockForCommand(CommandContext& c, const std::string& block) {
    const WebMediaBlock& current = CurrentWebMediaBlock();
    try {
        FetchMediaBlock(block, current.url, current.archivePath);
        return true;
    } catch (const MediaFetchError& error) {
        ReportStoppingMessage(error.what());
    }
    c.StopScript();
    return false;
}
