#include "script/InstanceState.h"

#include "core/StartupValues.h"
#include "installer/InstallerDatabase.h"
#include "installer/uMSIAPI.h"
#include "core/Components.h"
#include "script/ParameterFile.h"
#include "script/Session.h"
#include "core/VariableStore.h"
#include "system/Files.h"
#include "system/PathParts.h"
#include "system/Registry.h"
#include "system/ShellFolders.h"
#include "system/TextUtils.h"

namespace {

const char* const kBootstrap = "Bootstrap";
const char* const kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr int kProductInstalled = 5;  // INSTALLSTATE_DEFAULT

std::vector<std::string> ReadLines(const std::string& path) {
    const auto text = ReadFileText(path);
    return text ? SplitLines(*text) : std::vector<std::string>{};
}

// The program of an uninstall command: the first double quote removed and
// everything from the next one on cut off.
std::string ProgramOfCommand(std::string command) {
    const size_t quote = command.find('"');
    if (quote != std::string::npos) command.erase(quote, 1);
    const size_t next = command.find('"');
    if (next != std::string::npos) command.erase(next);
    return command;
}

std::string InstallerState(const std::string& productCode, int& state) {
    try {
        state = Msi().QueryProductState(productCode);
        if (state == kProductInstalled && !IsInstalledPackage(productCode, GetVariable("REVISIONCODE"))) return "TRUE";
    } catch (const std::exception&) {
        state = -1;  // no installer to ask: nothing is installed
    }
    return "FALSE";
}

// Loads the ".dat" and ".par" files of an instance folder and adds the
// selected components' sizes to the installed-size baseline.
void LoadInstanceFiles(const std::string& folder, const std::string& name) {
    LoadComponentFile(folder + name + ".dat", false);
    int64_t baseline = InstalledSizeBaseline();
    for (const auto& component : ComponentNames())
        if (IsComponentSelected(component)) baseline += ComponentSize(component);
    SetInstalledSizeBaseline(baseline);
    const auto file = ReadFileText(folder + name + ".par");
    const auto parameters = file ? DecodeParameterFile(*file) : std::vector<std::string>{};
    if (!parameters.empty()) InstanceParameters() = parameters;
}

}  // namespace

std::string InstanceName(const std::string& msiPath) {
    std::string name = FileNameOf(msiPath);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string DefaultTargetFolder() {
    std::string base = ShellFolderPath(kFolderProgramFiles);
    if (!IsAdministrator()) {
        std::string documents = ShellFolderPath(kFolderPersonal);
        if (!documents.empty()) documents.pop_back();
        base = FolderOf(documents);
    }
    return base + Project().Title + "\\";
}

std::string FindInstanceFolder(const std::string& msiPath) {
    const std::string revision = GetVariable("REVISIONCODE") + "\\";
    const std::string perUser = AppDataFolder(false) + revision;
    if (FileExists(perUser + InstanceName(msiPath) + ".dat")) return perUser;
    return AppDataFolder(true) + revision;
}

void LoadInstanceState(const std::string& msiPath) {
    StartupValues& startup = Startup();
    ProjectValues& project = Project();
    const std::string instanceFile = startup.exeFolder + "instance.dat";
    const bool instanceOverride = FileExists(instanceFile);
    if (instanceOverride) {
        const auto lines = ReadLines(instanceFile);
        if (lines.size() > 0) project.ProductCode = lines[0];
        if (lines.size() > 1) project.RevisionCode = lines[1];
        if (lines.size() > 2) project.Title = lines[2];
    }
    DefineVariable("PRODUCTCODE", project.ProductCode, kBootstrap);
    DefineVariable("REVISIONCODE", project.RevisionCode, kBootstrap);
    const bool administrator = IsAdministrator();
    const std::string instanceFolder = AppDataFolder(administrator) + project.RevisionCode + "\\";
    DefineVariable("UNINSTALLLINK", instanceFolder + FileNameOf(startup.exePath), kBootstrap);
    if (project.MediaMode == 2) {
        startup.mediaSourceFolder = startup.dataFolder;
        startup.dataFolder = instanceFolder;
    }
    DefineVariable("DATADIR", startup.dataFolder, kBootstrap);

    int state = -1;
    const std::string needsUpgrade = InstallerState(project.ProductCode, state);
    DefineVariable("NEEDSUPGRADE", needsUpgrade, kBootstrap);
    const bool maintenance = needsUpgrade == "FALSE" && state == kProductInstalled;
    DefineVariable("MAINTENANCE", BoolToText(maintenance), kBootstrap);

    SetInstalledSizeBaseline(0);
    if (maintenance) {
        LoadInstanceFiles(FindInstanceFolder(msiPath), InstanceName(msiPath));
    } else {
        ClearComponents();
        DefineComponent(kPredefinedComponent, "", true);
        InstanceParameters().clear();
        DefineVariable("TARGETDIR", DefaultTargetFolder(), kBootstrap);
        DefineVariable("STARTMENU", project.Title, kBootstrap);
        DefineVariable("ALLUSERS", BoolToText(administrator), kBootstrap);
    }
    const bool newInstance = !instanceOverride && (maintenance || needsUpgrade == "TRUE");
    DefineVariable("NEWINSTANCE", BoolToText(newInstance), "Initialization");
}

std::string PatchPathFor(const std::string& msiPath) { return FolderOf(msiPath) + InstanceName(msiPath) + ".msp"; }

void LoadPatchedInstance(const std::string& msiPath) {
    const std::string revision = GetVariable("REVISIONCODE");
    const std::string key = kUninstallKey + GetVariable("TITLE");
    std::string command = ReadRegistryString(RegistryRoot::CurrentUser, key, "UninstallString").value_or("");
    if (command.empty()) command = ReadRegistryString(RegistryRoot::LocalMachine, key, "UninstallString").value_or("");
    std::string folder = FolderOf(ProgramOfCommand(command));
    if (!folder.empty()) folder.pop_back();
    SetVariable("REVISIONCODE", FileNameOf(folder), kBootstrap);
    LoadInstanceFiles(FindInstanceFolder(msiPath), InstanceName(msiPath));
    SetVariable("REVISIONCODE", revision, kBootstrap);
}

std::string CurrentUninstallLink() {
    const bool allUsers = TextToBool(GetVariable("ALLUSERS"));
    if (Project().MediaMode == 3) {
        const RegistryRoot root = allUsers ? RegistryRoot::LocalMachine : RegistryRoot::CurrentUser;
        auto command = ReadRegistryString(root, kUninstallKey + GetVariable("TITLE"), "UninstallString");
        return command ? ProgramOfCommand(*command) : std::string();
    }
    return AppDataFolder(allUsers) + GetVariable("REVISIONCODE") + "\\" + FileNameOf(Startup().exePath);
}
