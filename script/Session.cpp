#include "script/Session.h"

#include "core/StartupValues.h"
#include "installer/InstallerDatabase.h"
#include "script/CheckScript.h"
#include "core/Components.h"
#include "script/InstanceState.h"
#include "script/RecordedChanges.h"
#include "script/ResumeEntry.h"
#include "script/Translation.h"
#include "core/VariableStore.h"
#include "system/DateTime.h"
#include "system/Files.h"
#include "system/PathParts.h"
#include "system/Registry.h"
#include "system/ShellFolders.h"
#include "system/TextUtils.h"

namespace {

constexpr const char* kInitialization = "Initialization";
constexpr const char* kOwnerKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";

void DefinePredefinedValues(const std::string& msiPath) {
    const StartupValues& start = Startup();
    DefineComponent(kPredefinedComponent, "", true);
    const bool administrator = IsAdministrator();
    const auto define = [](const char* name, const std::string& value) { DefineVariable(name, value, kInitialization); };
    define("SELECTED", "0");
    define("WINDOWHANDLE", "0");
    define("EXEFILE", start.exePath);
    define("EXEDIR", start.exeFolder);
    define("PROGRESSTEXT", "");
    define("ABORT", "FALSE");
    define("PROGRESS", "0");
    define("LASTERROR", "");
    define("LICENSE", "FALSE");
    define("USERNAME", ReadRegistryString(RegistryRoot::LocalMachine, kOwnerKey, "RegisteredOwner").value_or(""));
    define("USERCOMPANY", ReadRegistryString(RegistryRoot::LocalMachine, kOwnerKey, "RegisteredOrganization").value_or(""));
    define("REBOOTCOMPUTER", "FALSE");
    define("RUNAPP", "TRUE");
    define("WIZARD", "NEXT");
    define("ALLUSERS", BoolToText(administrator));
    define("SILENT", BoolToText(start.silent));
    define("LOGGED", start.logFile);
    define("CMDLINE", start.commandLineRest);
    define("SFXPATH", start.launcherPath.empty() ? std::string() : WithBackslash(FolderOf(start.launcherPath)));
    define("SFXFILE", FileNameOf(start.launcherPath));
    define("COMPLETE", "TRUE");
    define("MINIMUM", "FALSE");
    define("PERSONALIZED", "FALSE");
    define("MODIFY", "TRUE");
    define("REPAIR", "FALSE");
    define("REMOVE", "FALSE");
    define("ROOTDIR", start.exeFolder);
    define("TITLE", Project().Title);
    define("COMPANY", Project().Publisher);
    define("TARGETDIR", DefaultTargetFolder());
    define("STARTMENU", Project().Title);
    define("ADVERTISE", "FALSE");
    define("DATE", ShortDateText());
    define("TIME", LongTimeText());
    define("TEMPDIR", start.tempFolder);
    define("SUPPORTDIR", start.supportFolder);
    define("MSIFILE", msiPath);
    define("LANGUAGE", "");
}

// A resume entry left by "Reboot and Resume" has done its work once the
// setup runs again.
void RemoveResumeEntries() {
    const std::string name = ResumeEntryName(Project().ProductCode);
    for (RegistryRoot root : {RegistryRoot::CurrentUser, RegistryRoot::LocalMachine})
        DeleteRegistryValue(root, kRunKey, name);
}

void ApplyCommandLineOverrides() {
    for (const auto& [name, value] : Startup().overrides) {
        const std::string upper = UpperAscii(name);
        if (VariableExists(upper)) SetVariable(upper, value, kOverrideSource);
        else DefineVariable(upper, value, kOverrideSource);
    }
}

}  // namespace

LabelTable& SessionLabels() {
    static LabelTable labels;
    return labels;
}

std::vector<std::string>& InstanceParameters() {
    static std::vector<std::string> parameters;
    return parameters;
}

void RecordHeaderPass(const Script& script) {
    CommandHeaderTable headers;
    headers.Load(script.CommandHeaders);
    headers.SetHeaderPass(true);
    for (size_t n = 0; n < script.size(); ++n) {
        const std::string header = headers.Get(n);
        if (header.empty()) continue;
        SetInstallerProperty("A" + header, "FALSE");
        InstanceParameters().push_back("A" + header);
        InstanceParameters().push_back("FALSE");
    }
}

bool StartSession(const Script& script, const std::string& msiPath) {
    InstanceParameters().clear();
    ResetRecordedChanges();
    ClearNewInstanceRequest();
    const ScriptCheckResult check = CheckScript(script);
    if (!check.ok()) throw ScriptCheckFailure(check.commandNumber + 1, check.message);
    ClearVariables();
    ClearComponents();
    LoadComponentSizes(Project().ComponentSizes);
    LoadInstanceState(msiPath);
    SessionLabels().Build(script);
    const bool havePackage = FileExists(msiPath);
    const std::string patch = PatchPathFor(msiPath);
    if (!havePackage && !FileExists(patch)) return false;
    DefinePredefinedValues(msiPath);
    if (FileExists(patch)) LoadPatchedInstance(msiPath);
    RemoveResumeEntries();
    RecordHeaderPass(script);
    if (!ChooseInstallationLanguage(msiPath)) return false;
    ApplyCommandLineOverrides();
    return true;
}

void RefreshSessionState() {
    const auto valueOf = [](const char* name) { return VariableExists(name) ? GetVariable(name) : std::string(); };
    Startup().logFile = valueOf("LOGGED");
    Startup().silent = TextToBool(valueOf("SILENT"));
    DefineVariable("DATE", ShortDateText(), kInitialization);
    DefineVariable("TIME", LongTimeText(), kInitialization);
    RefreshTranslations();
    DefineVariable("UNINSTALLLINK", CurrentUninstallLink(), kInitialization);
}
