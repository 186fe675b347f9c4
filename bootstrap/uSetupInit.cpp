#include "bootstrap/uSetupInit.h"

#include "core/EngineMessages.h"
#include "system/FailureReason.h"
#include "system/Files.h"
#include "system/LoadedLibrary.h"
#include "system/PathParts.h"
#include "system/ReadOnlyFile.h"
#include "system/TextUtils.h"

namespace {

std::string ReadFileRange(const std::string& path, uint64_t offset, uint64_t length) {
    auto bytes = ReadOnlyFile(path).ReadAt(offset, static_cast<size_t>(length));
    if (!bytes) throw StartupError("Cannot read the setup data from " + path);
    return *bytes;
}

// The setup data is ANSI text; a zero byte means the file was damaged or
// something else was appended.
void RequireText(const std::string& payload) {
    if (payload.find('\0') != std::string::npos)
        throw PayloadError("The setup data is damaged: it is not a setup script");
}

}  // namespace

void SetEnginePaths(StartupValues& values, const std::string& exePath) {
    values.exePath = exePath;
    values.exeFolder = FolderOf(exePath);
    const std::string fileName = FileNameOf(exePath);
    const size_t dot = fileName.rfind('.');
    values.setupName = dot == std::string::npos ? fileName : fileName.substr(0, dot);
    values.resourceArchive = values.exeFolder + values.setupName + ".res";
}

bool PrepareTemporaryFolder(StartupValues& values, const std::string& systemTemp) {
    const bool endsWithSeparator = !systemTemp.empty() && FileNameOf(systemTemp).empty();
    values.tempFolder = systemTemp.empty() || endsWithSeparator ? systemTemp : systemTemp + "\\";
    return !values.tempFolder.empty() && CreateFolderTree(values.tempFolder);
}

bool LoadEngineMessages(const std::string& libraryPath) {
    LoadedLibrary library(libraryPath);
    if (!library.loaded()) return false;
    // Read in place: a copy under a fixed name in a shared folder could be
    // overwritten by another setup, or overwrite a file of the user's.
    const std::string messages = ReadAppendedData(libraryPath);
    if (!messages.empty()) LoadMessageText(messages);
    return true;
}

bool CommonControlsOutdated(FileVersionNumber version) { return version.major == 4 && version.minor < 72; }

Payload ReadSetupPayload(const std::string& exePath, uint64_t offset, uint64_t length) {
    // Read in place rather than through a fixed temporary copy: two setups
    // started at once would overwrite each other's copy.
    const std::string text = ReadFileRange(exePath, offset, length);
    RequireText(text);
    return ReadPayload(text);
}

std::string CreateSupportFolder(const std::string& tempFolder) {
    constexpr int kMaxFolders = 100000;
    for (int n = 1; n <= kMaxFolders; ++n) {
        const std::string folder = tempFolder + "keb" + std::to_string(n);
        switch (CreateNewFolder(folder)) {
            case NewFolderResult::Created: return folder + "\\";
            case NewFolderResult::AlreadyExists: continue;
            case NewFolderResult::Failed: throw StartupError(WithFailureReason("Cannot create the folder " + folder));
        }
    }
    throw StartupError("No free support folder name in " + tempFolder);
}

void RemoveSupportFolder(const std::string& folder) {
    if (folder.empty() || !FolderExists(folder)) return;
    for (int pass = 0; pass < 3; ++pass) DeleteFolderContents(folder);
    RemoveFolder(folder);
}
