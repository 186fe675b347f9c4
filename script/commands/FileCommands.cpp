// The commands that look at the machine's files and folders: existence, the
// file search, disk space, file versions, INI values and folder locations.
#include "core/ProgressState.h"
#include "core/WorkerPolling.h"
#include "script/CommandTable.h"
#include "script/FileSearch.h"
#include "script/VersionText.h"
#include "core/VariableStore.h"
#include "script/commands/CommandFamilies.h"
#include "system/DirectoryListing.h"
#include "system/DiskSpace.h"
#include "system/FileVersion.h"
#include "system/Files.h"
#include "system/IniFile.h"
#include "system/Process.h"
#include "system/Registry.h"
#include "system/ShellFolders.h"
#include "system/TextUtils.h"

namespace {

void DoesFileFolderExist(CommandContext& c) {
    const std::string path = c.Path(2);
    c.SetResult(c.Raw(1), BoolToText(c.Flag(3) ? FileExists(path) : FolderExists(path)));
}

// Searches on a worker thread; the script thread shows the progress, keeps
// the windows answering and passes the user's cancel on as a stop request.
void FindAllFiles(CommandContext& c) {
    FileSearchState state;
    std::vector<std::string> found;
    RunPolledWorker([&] { found = SearchFiles(c.Path(1), c.Flag(2), c.Flag(3), state); },
                    [&state] {
                        {
                            std::lock_guard guard(state.lock);
                            SetProgress(state.lastFound, 0, 100, state.progress);
                        }
                        if (CancelState() == -1) state.stopRequested = true;
                    });
    c.SetResult(c.VariableName(4), JoinFileList(found));
}

void CheckDiskSpace(CommandContext& c) {
    const DiskSpace space = QueryDiskSpace(c.Path(2)).value_or(DiskSpace{});
    c.SetResult(c.VariableName(1), std::to_string(c.Flag(3) ? space.freeToUser : space.total));
}

void GetFileVersion(CommandContext& c) { c.SetResult(c.VariableName(2), VersionText(ReadFileVersion(c.Path(1)))); }

void CheckFileVersion(CommandContext& c) {
    const FileVersionNumber file = ReadFileVersion(c.Path(2));
    const FileVersionNumber reference = c.Flag(3) ? ReadFileVersion(c.Path(4)) : ParseVersionText(c.Expanded(5));
    c.SetResult(c.Raw(1), BoolToText(CompareVersions(file, reference) > 0));
}

void GetIniFileSettings(CommandContext& c) { c.SetResult(c.Raw(1), ReadIniValue(c.Path(2), c.Path(3), c.Path(4))); }

std::string RegistryValue(RegistryRoot root, const std::string& key, const std::string& name) {
    return ReadRegistryString(root, key, name).value_or("");
}

// Program Files and Common Files fall back to the registry's record of them.
std::string ShellFolderOrRecorded(int csidl) {
    std::string folder = ShellFolderPath(csidl);
    if (folder.empty() && (csidl == 38 || csidl == 43))
        folder = RegistryValue(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                               csidl == 38 ? "ProgramFilesDir" : "CommonFilesDir");
    return folder;
}

std::string WebServerRoot() {
    std::string root = RegistryValue(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\InetStp", "PathWWWRoot");
    if (!root.empty()) return root;
    const std::string roots = "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots\\";
    root = RegistryValue(RegistryRoot::LocalMachine, roots, "/");
    if (root.empty()) root = RegistryValue(RegistryRoot::LocalMachine, roots, "/,");
    return root.substr(0, root.find(','));
}

std::string FolderLocation(int kind, bool common) {
    // Shell folder numbers per kind: current user, all users (-1: no shell folder).
    static const int kShellFolders[28][2] = {
        {32, 32}, {33, 33}, {5, 5},   {6, 31},  {13, 53}, {39, 54}, {14, 55}, {19, 19}, {27, 27}, {-1, -1},
        {-1, -1}, {48, 47}, {11, 22}, {7, 24},  {2, 23},  {26, 35}, {59, 59}, {0, 25},  {20, 20}, {40, 62},
        {38, 43}, {8, 8},   {9, 9},   {-1, -1}, {21, 21}, {-1, -1}, {-1, -1}, {-1, -1}};
    if (kind < 0 || kind > 27) return {};
    if (kShellFolders[kind][0] >= 0) return ShellFolderOrRecorded(kShellFolders[kind][common ? 1 : 0]);
    switch (kind) {
        case 9: return RegistryValue(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup", "BootDir");
        case 10: return FirstCdromDrive();
        case 23: return SystemFolder();
        case 25: return WindowsFolder();
        case 26: {
            const std::string appData = RegistryValue(
                RegistryRoot::CurrentUser, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\", "AppData");
            return appData.empty() ? std::string() : WithBackslash(appData) + "Microsoft\\Internet Explorer\\Quick Launch\\";
        }
        default: return WebServerRoot();
    }
}

void GetFolderLocation(CommandContext& c) {
    const std::string folder = FolderLocation(c.Integer(2), c.Flag(3));
    c.SetResult(c.Raw(1), folder.empty() ? folder : WithBackslash(folder));
}

}  // namespace

void RegisterFileCommands(CommandTable& table) {
    table.Register("Does File/Folder Exist", DoesFileFolderExist);
    table.Register("Find All Files", FindAllFiles);
    table.Register("Check Disk Space", CheckDiskSpace);
    table.Register("Get File Version", GetFileVersion);
    table.Register("Check File Version", CheckFileVersion);
    table.Register("Get INI File Settings", GetIniFileSettings);
    table.Register("Get Folder Location", GetFolderLocation);
}
