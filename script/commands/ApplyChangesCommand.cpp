// "Apply Changes" and "Apply Patch": hand everything recorded to the Windows
// Installer, publish the outcome, and after a successful run keep the setup
// cache and the uninstall registration in step with the machine.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>

#include "core/EngineMessages.h"
#include "core/StartupValues.h"
#include "core/uLanguage.h"
#include "core/ProgressState.h"
#include "installer/InstallerDatabase.h"
#include "installer/uMSIThread.h"
#include "script/CheckScript.h"
#include "script/CommandTable.h"
#include "script/MaintenanceChoices.h"
#include "core/Components.h"
#include "script/RecordedChanges.h"
#include "script/ParameterFile.h"
#include "core/ScriptError.h"
#include "script/Session.h"
#include "core/Translations.h"
#include "core/VariableStore.h"
#include "script/commands/CommandFamilies.h"
#include "script/commands/WebMediaFetch.h"
#include "system/CommaText.h"
#include "system/FailureReason.h"
#include "system/FileTree.h"
#include "system/Files.h"
#include "system/FolderDialog.h"
#include "system/GuidText.h"
#include "system/PathParts.h"
#include "system/Registry.h"
#include "system/ShellFolders.h"
#include "system/TextUtils.h"

namespace {

const char* const kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char* const kIdentCacheKey = "SOFTWARE\\Telvoria\\Orvanta\\Ident.Cache\\";

bool AllUsers() { return TextToBool(GetVariable("ALLUSERS")); }
RegistryRoot InstallRoot() { return AllUsers() ? RegistryRoot::LocalMachine : RegistryRoot::CurrentUser; }

std::string WithoutExtension(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// The folder of the installed setup, from the uninstall command of the product.
std::string PreviousInstallationFolder() {
    auto command = ReadRegistryString(InstallRoot(), kUninstallKey + GetVariable("TITLE"), "UninstallString");
    std::string folder;
    if (command) {
        std::string text = *command;
        const size_t quote = text.find('"');
        if (quote != std::string::npos) text.erase(quote, 1);
        const size_t next = text.find('"');
        if (next != std::string::npos) text.erase(next);
        folder = FolderOf(text);
    }
    if (!Startup().installedSetupFolder.empty()) folder = WithBackslash(Startup().installedSetupFolder);
    return folder;
}

// Asks the user for the original setup sources until a folder holding the
// marker file is chosen; false when the user gives up (always when silent).
bool LocateSources(const std::string& productCode) {
    if (Startup().silent) return false;
    for (;;) {
        auto chosen = BrowseForFolder(ProgressOwnerWindow(), EngineText(EngineMessage::LocateSourcesTitle));
        if (!chosen) return false;
        const std::string folder = WithBackslash(*chosen);
        for (const std::string& candidate : {folder, folder + "data\\"}) {
            if (FileExists(candidate + productCode)) {
                SetVariable("DATADIR", candidate, "Apply Changes Action");
                return true;
            }
        }
    }
}

// A setup cache that could not be completed: the product is then not
// registered, so no uninstall entry points at an incomplete cache.
struct CacheError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The setup cache: application data + the revision code. Only a folder of
// exactly that shape is ever created or deleted, so a missing or damaged
// revision code can never make the shared application data folder the cache.
std::optional<std::string> CacheFolder() {
    const std::string revision = GetVariable("REVISIONCODE");
    if (!IsGuidText(revision)) return std::nullopt;
    return AppDataFolder(AllUsers()) + revision + "\\";
}

void CopyIntoCache(const std::string& from, const std::string& to) {
    SetNormalAttributes(to);
    if (!CopyFileOver(from, to))
        throw CacheError(WithFailureReason("Unable to copy " + from + " into the setup cache " + FolderOf(to)));
}

void WriteCacheFile(const std::string& path, const std::vector<std::string>& lines) {
    if (!WriteFileText(path, JoinCrLf(lines))) throw CacheError(WithFailureReason("Unable to write " + path));
}

void WriteRegistryValue(RegistryRoot root, const std::string& key, const std::string& name, const std::string& value) {
    if (!WriteRegistryString(root, key, name, value))
        throw ScriptError(WithFailureReason("Unable to write the registry value " + key + "\\" + name));
}

// Removes the cache folder; a folder that cannot go now (the running setup
// lives in it) is moved aside and deleted at the next restart, or deleted
// where it is at the next restart when it cannot be moved either.
void RemoveCacheFolder(const std::string& cache) {
    // A link in the cache's place is not the cache: only the link goes, now
    // or at the next restart. It is never entered, nor moved (a rename may
    // follow it).
    if (IsLink(cache)) {
        if (!RemoveLink(cache)) ScheduleDeleteAtRestart(cache);
        return;
    }
    DeleteFolderContents(cache);
    RemoveFolder(cache);
    if (!FolderExists(cache)) return;
    const std::string base = cache.substr(0, cache.size() - 1);
    for (int n = 0;; ++n) {
        const std::string moved = base + "~" + std::to_string(n);
        if (FolderExists(moved) || FileExists(moved)) continue;
        ScheduleFolderDeleteAtRestart(MoveFolder(base, moved) ? moved : base);
        return;
    }
}

void MaintainCache(const std::string& cache, bool install, bool remove, bool mediaMode2) {
    const std::string productCode = GetVariable("PRODUCTCODE");
    const std::string exePath = Startup().exePath;
    const std::string exeName = FileNameOf(exePath);
    const std::string base = WithoutExtension(exeName);
    const std::string root = GetVariable("ROOTDIR");
    if (!install && !remove) {
        if (!CreateOwnedFolder(cache) || !CreateOwnedFolder(cache + "__ad"))
            throw CacheError(WithFailureReason("Unable to create " + cache));
    } else if (!IsLink(cache)) {
        RemoveFolder(cache + "__ad");
    }

    if (install) {
        if (!CreateOwnedFolder(cache)) throw CacheError(WithFailureReason("Unable to create the setup cache " + cache));
        if (mediaMode2) WriteCacheFile(cache + productCode, {});
        CopyIntoCache(exePath, cache + exeName);
        const std::string reidentified = ReidentifiedPackage();
        CopyIntoCache(reidentified.empty() ? root + base + ".msi" : reidentified, cache + base + ".msi");
        CopyIntoCache(root + base + ".res", cache + base + ".res");
        CopyIntoCache(root + "keb.dll", cache + "keb.dll");
        if (FileExists(root + "setup.bmp")) CopyIntoCache(root + "setup.bmp", cache + "setup.bmp");
        SaveComponentFile(cache + base + ".dat", false);
        if (!WriteFileText(cache + base + ".par", EncodeParameterFile(InstanceParameters())))
            throw CacheError(WithFailureReason("Unable to write " + cache + base + ".par"));
        if (TranslationActive()) WriteCacheFile(cache + base + ".lan", {GetVariable("LANGUAGE")});
        else DeleteFileAt(cache + base + ".lan");
    } else if (remove) {
        RemoveCacheFolder(cache);
    }
}

// KB of the files below the destination, rounded up: the size the system's
// "Apps" page shows.
uint32_t InstalledKilobytes(const std::string& folder) {
    if (folder.empty()) return 0;
    int64_t bytes = 0;
    for (const std::string& file : FilesBelow(folder)) bytes += FileSizeOf(WithBackslash(folder) + file).value_or(0);
    return static_cast<uint32_t>(std::min<int64_t>((bytes + 1023) / 1024, UINT32_MAX));
}

void WriteRegistryNumberValue(RegistryRoot root, const std::string& key, const std::string& name, uint32_t value) {
    if (!WriteRegistryNumber(root, key, name, value))
        throw ScriptError(WithFailureReason("Unable to write the registry value " + key + "\\" + name));
}

void RegisterForMaintenance(const Script& script, const std::string& cache, bool install) {
    const std::string title = GetVariable("TITLE");
    const std::string productCode = GetVariable("PRODUCTCODE");
    const std::string uninstallKey = kUninstallKey + title;
    const std::string identKey = kIdentCacheKey + productCode;
    if (!install) {
        for (RegistryRoot root : {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser}) {
            DeleteRegistryKey(root, uninstallKey);
            DeleteRegistryKey(root, identKey);
        }
        return;
    }
    const RegistryRoot root = InstallRoot();
    const std::string exe = cache + FileNameOf(Startup().exePath);
    const ProjectValues& project = Project();
    WriteRegistryValue(root, uninstallKey, "DisplayIcon", exe);
    WriteRegistryValue(root, uninstallKey, "DisplayName", title);
    WriteRegistryValue(root, uninstallKey, "UninstallString", "\"" + exe + "\" REMOVE=TRUE MODIFY=FALSE");
    WriteRegistryValue(root, uninstallKey, "ModifyPath", exe);
    WriteRegistryValue(root, uninstallKey, "Publisher", GetVariable("COMPANY"));
    WriteRegistryValue(root, uninstallKey, "Contact", project.Contact);
    WriteRegistryValue(root, uninstallKey, "HelpLink", project.HelpLink);
    WriteRegistryValue(root, uninstallKey, "URLUpdateInfo", project.UpdateInfoLink);
    WriteRegistryValue(root, uninstallKey, "Comments", project.Comments);
    WriteRegistryValue(root, uninstallKey, "DisplayVersion", InstalledProductVersion(productCode));
    const std::string destination = GetVariable("TARGETDIR");
    WriteRegistryValue(root, uninstallKey, "InstallLocation", destination);
    WriteRegistryNumberValue(root, uninstallKey, "EstimatedSize", InstalledKilobytes(destination));
    const MaintenanceChoices maintenance = ScriptMaintenanceChoices(script);
    WriteRegistryNumberValue(root, uninstallKey, "NoModify", maintenance.modify ? 0 : 1);
    WriteRegistryNumberValue(root, uninstallKey, "NoRepair", maintenance.repair ? 0 : 1);
    WriteRegistryValue(root, identKey, "", cache);
    WriteCacheFile(cache + "instance.dat", {productCode, GetVariable("REVISIONCODE"), title});
}

const char* OutcomeText(ApplyResult result) {
    switch (result) {
        case kApplyCancelled: return "CANCEL";
        case kApplySucceeded: return "COMPLETE";
        case kApplyNeedsReboot: return "REBOOT";
        default: return "ERROR";
    }
}

void ApplyCommand(CommandContext& c, bool patch) {
    const std::string tag = ActionTag(c.name());
    const std::string productCode = GetVariable("PRODUCTCODE");
    const bool mediaMode2 = Project().MediaMode == 2;
    const bool install = c.Flag(3);
    const bool remove = !patch && c.Flag(4);
    const std::string resultVariable = c.VariableName(patch ? 1 : 2);
    std::string sourceFolder = PreviousInstallationFolder();

    const bool sourcesMissing = Project().MediaMode == 3 ? !FileExists(sourceFolder + productCode)
                                                         : !FileExists(GetVariable("DATADIR") + productCode);
    const bool mustLocate = sourcesMissing && !mediaMode2 &&
                            (patch || (TextToBool(GetVariable("MAINTENANCE")) && install));
    if (mustLocate && !LocateSources(productCode)) {
        SetVariable("LASTERROR", EngineText(EngineMessage::SourcesNotFound), tag);
        if (!resultVariable.empty()) c.SetResult(resultVariable, "CANCEL");
        return;
    }
    if (mediaMode2 && !FetchBlockForCommand(c, "OFFLINE\\")) return;
    const std::optional<std::string> cache = CacheFolder();
    if (!patch && !cache) {
        SetVariable("LASTERROR", "The revision code \"" + GetVariable("REVISIONCODE") +
                                     "\" is not a GUID: the setup cannot be kept for maintenance.", tag);
        if (!resultVariable.empty()) c.SetResult(resultVariable, "ERROR");
        return;
    }
    RecordProperty("MSINTEMP", GetVariable("TEMPDIR"));

    ApplyRequest request;
    request.productCode = productCode;
    request.propertiesText = ToCommaText(InstanceParameters());
    request.variablesText = SnapshotVariables();
    request.expandValue = ExpandPath;
    request.dataFolder = GetVariable("DATADIR");
    request.tempFolder = GetVariable("TEMPDIR");
    request.logFile = Startup().logFile;
    request.silent = Startup().silent;
    const std::string database = GetVariable("MSIFILE");
    if (patch) {
        request.patchMode = true;
        request.package = FolderOf(database) + WithoutExtension(FileNameOf(database)) + ".msp";
        request.patchSourceFolder = GetVariable("DATADIR");
        request.install = false;
    } else {
        if (TranslationActive()) {
            SetInstallerProperty("ProductLanguage", LanguageToLcid(GetVariable("LANGUAGE")));
            TranslateShortcuts(database, TranslatedShortcutTexts());
            TranslateProgIds(database, TranslatedFileTypeTexts());
        }
        request.package = database;
        request.workingFile = GetVariable("SUPPORTDIR") + c.Raw(1) + ".dfm";
        request.advertise = !install && !remove;
        request.install = install;
        request.patchSourceFolder = sourceFolder;
    }
    const ApplyOutcome outcome = ApplyChanges(request);

    if (!outcome.errorText.empty()) SetVariable("LASTERROR", outcome.errorText, tag);
    if (!resultVariable.empty()) c.SetResult(resultVariable, OutcomeText(outcome.result));
    if (outcome.result == kApplyNeedsReboot) SetVariable("REBOOTCOMPUTER", "TRUE", tag);
    if (patch || (outcome.result != kApplySucceeded && outcome.result != kApplyNeedsReboot)) return;
    try {
        MaintainCache(*cache, install, remove, mediaMode2);
        RegisterForMaintenance(c.script(), *cache, install);
    } catch (const CacheError& e) {
        SetVariable("LASTERROR", e.what(), tag);
        if (!resultVariable.empty()) c.SetResult(resultVariable, "ERROR");
        // A first installation leaves no incomplete cache behind; an earlier
        // registration keeps the cache it points at.
        if (install && !TextToBool(GetVariable("MAINTENANCE"))) RemoveCacheFolder(*cache);
    }
}

}  // namespace

void RegisterApplyCommands(CommandTable& table) {
    table.Register("Apply Changes", [](CommandContext& c) { ApplyCommand(c, false); });
    table.Register("Apply Patch", [](CommandContext& c) { ApplyCommand(c, true); });
}
