#include "core/EngineLog.h"

#include "core/StartupValues.h"
#include "system/Files.h"
#include "system/PathParts.h"
#include "system/WideText.h"

void AppendToEngineLog(const std::string& line) {
    const std::string& path = Startup().logFile;
    if (path.empty()) return;
    const std::string folder = FolderOf(path);
    if (!folder.empty()) CreateFolderTree(folder);
    std::string content = ReadFileText(path).value_or("");
    content += Utf16LeFromAnsi("Orvanta: " + line + "\r\n");
    WriteFileText(path, content);
}
