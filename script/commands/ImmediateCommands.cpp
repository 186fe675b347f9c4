// The commands that change the system, the feature selection or the setup's
// identity the moment they run: registry deletion, the product-installed
// question, closing programs, native images, network shares, access lists,
// feature selection files and a new product instance. None of them records
// installer properties, and the system changes never stop the script.
#include <optional>

#include "core/StartupValues.h"
#include "installer/InstallerDatabase.h"
#include "installer/uMSIAPI.h"
#include "script/AccessRules.h"
#include "script/CommandTable.h"
#include "core/Components.h"
#include "script/InstanceState.h"
#include "core/VariableStore.h"
#include "script/commands/CommandFamilies.h"
#include "system/ConsoleProgram.h"
#include "system/Files.h"
#include "system/GuidText.h"
#include "system/NetworkShares.h"
#include "system/Process.h"
#include "system/Registry.h"
#include "system/SystemFacts.h"
#include "system/TextUtils.h"
#include "system/TopLevelWindows.h"

namespace {

constexpr int kTerminatePasses = 10;

// Root codes 0..4; any other number keeps the current user's root.
RegistryRoot RootOfDeletion(int code) {
    switch (code) {
        case 0: return RegistryRoot::ClassesRoot;
        case 2: return RegistryRoot::LocalMachine;
        case 3: return RegistryRoot::Users;
        case 4: return RegistryRoot::CurrentConfig;
        default: return RegistryRoot::CurrentUser;
    }
}

void DeleteRegistry(CommandContext& c) {
    const auto code = ParseInt32(c.Expanded(1));
    const std::string key = c.Path(2);
    // An empty key would name the root itself: a whole hive is never deleted.
    if (!code || key.empty()) return;
    const RegistryRoot root = RootOfDeletion(*code);
    if (c.Flag(4))
        DeleteRegistryKey(root, key);
    else
        DeleteRegistryValue(root, key, c.Path(3));
}

void IsMsiSetupInstalled(CommandContext& c) {
    const std::string variable = c.Raw(2);
    c.EnsureResult(variable);
    const bool installed = Msi().QueryProductState(c.Path(1)) == kMsiStateInstalled;
    SetVariable(variable, BoolToText(installed), "MsiQueryProductState");
}

// Each pass asks the first matching window to close; the requests are posted,
// so a window slow to close may be asked again in the next pass.
void TerminateProgram(CommandContext& c) {
    const std::string title = c.Path(1), className = c.Path(2);
    if (title.empty() && className.empty()) return;
    for (int pass = 0; pass < kTerminatePasses; ++pass) {
        for (const auto& window : ListTopLevelWindows()) {
            if (window.className.find(className) == std::string::npos || window.title.find(title) == std::string::npos)
                continue;
            AskWindowToClose(window.handle);
            break;
        }
    }
}

// The generator of the .NET Framework 1.1; a machine without it has nothing to do.
void GenerateNativeImages(CommandContext& c) {
    RunHiddenConsoleProgram(WindowsFolder() + "Microsoft.NET\\Framework\\v1.1.4322\\ngen.exe",
                            "\"" + c.Expanded(1) + "\"");
}

void CreateShare(CommandContext& c) { CreateNetworkShare(c.Path(1), c.Translatable(2, 1), c.Translatable(3, 2)); }

void DeleteShare(CommandContext& c) { DeleteNetworkShare(FoldBackslashes(c.Translatable(1, 1))); }

void SetAccessControl(CommandContext& c) {
    AccessRequest request;
    request.everyone = c.Flag(2);
    request.currentUser = c.Flag(3);
    request.authenticatedUsers = c.Flag(4);
    request.named = c.Flag(5);
    request.read = c.Flag(7);
    request.full = c.Flag(8);
    request.grant = c.Flag(9);
    request.emptyList = c.Flag(10);
    request.removeList = c.Flag(11);
    request.fileOrFolder = c.Flag(12);
    request.share = c.Flag(13);
    request.registryKey = c.Flag(14);
    request.service = c.Flag(15);
    request.printer = c.Flag(16);
    const auto kind = RequestedObjectKind(request);
    if (!kind) return;
    if (request.named) request.accountName = c.Translatable(6, 2);
    request.ntFamily = ReadOsVersion().ntFamily;
    const auto change = AccessChangeFor(request, *kind);
    if (!change) return;
    std::string object = c.Translatable(1, 1);
    if (*kind == SecuredObjectKind::RegistryKey) object = SecurityRegistryKeyName(object);
    ChangeAccessList(object, *kind, *change);
}

void SaveFeatureSelections(CommandContext& c) { SaveComponentFile(c.Expanded(1), true); }

void LoadFeatureSelections(CommandContext& c) {
    const std::string path = c.Expanded(1);
    if (FileExists(path)) LoadComponentFile(path, true);
}

// A new product instance: fresh product and revision codes, the package's
// identity changed at the next installer run, and the instance state of the
// new product. Nothing happens without the request, or when a patch is run.
void TransformInstance(CommandContext& c) {
    if (!TextToBool(GetVariable("NEWINSTANCE"))) return;
    const std::string package = GetVariable("MSIFILE");
    if (FileExists(PatchPathFor(package))) return;
    Project().ProductCode = NewGuidText();
    Project().RevisionCode = NewGuidText();
    RequestNewInstance(Project().ProductCode, Project().RevisionCode);
    LoadInstanceState(package);
}

}  // namespace

void RegisterImmediateCommands(CommandTable& table) {
    table.Register("Delete Registry", DeleteRegistry);
    table.Register("Is MSI Setup Installed", IsMsiSetupInstalled);
    table.Register("Terminate Program", TerminateProgram);
    table.Register("Generate Native Images", GenerateNativeImages);
    table.Register("Create Share", CreateShare);
    table.Register("Delete Share", DeleteShare);
    table.Register("Set Access Control", SetAccessControl);
    table.Register("Save Feature Selections", SaveFeatureSelections);
    table.Register("Load Feature Selections", LoadFeatureSelections);
    table.Register("Transform Instance", TransformInstance);
    table.DeclareTranslatable("Create Share", {2, 3});
    table.DeclareTranslatable("Delete Share", {1});
    table.DeclareTranslatable("Set Access Control", {1, 6});
}
