// The commands that administer the local web server at once through its
// administration objects (system/miis.h). Every command but "Get IIS
// Property" swallows its failures, so a machine without a web server runs
// the script on.
#include <exception>

#include "script/CommandTable.h"
#include "core/VariableStore.h"
#include "script/commands/CommandFamilies.h"
#include "system/TextUtils.h"
#include "system/miis.h"

namespace {

// Runs a command's steps with automation on the thread; any failure (the
// server's or a parameter's) ends them quietly.
template <typename Steps>
void Quietly(Steps steps) {
    const AutomationApartment apartment;
    try {
        steps();
    } catch (const std::exception&) {
    }
}

std::string TranslatablePath(const CommandContext& c, size_t n, int slot) {
    return FoldBackslashes(c.Translatable(n, slot));
}

// A site number or action: an integer after path normalisation.
int32_t NumberParameter(const CommandContext& c, size_t n) {
    const std::string text = c.Path(n);
    const auto number = ParseInt32(text);
    if (!number) throw AutomationError("'" + text + "' is not a number");
    return *number;
}

void CreateIisSite(CommandContext& c) {
    Quietly([&] {
        const auto requested = ParseInt32(c.Path(2));
        const int32_t number = requested ? *requested : FirstFreeSiteNumber();
        const AutomationObject webService = OpenWebService();
        const AutomationObject site = OpenOrCreateSite(webService, number);
        SetText(site, "ServerComment", TranslatablePath(c, 1, 1));
        SetText(site, "ServerBindings", BindingText(c.Path(3), c.Path(5), c.Path(4)));
        SetText(site, "SecureBindings", BindingText(c.Path(3), c.Path(6), c.Path(4)));
        SetNumber(site, "ConnectionTimeout", c.Integer(7));
        SetFlag(site, "AllowKeepAlive", c.Flag(8));
        if (c.Flag(9)) {
            SetNumber(site, "LogType", 1);
            SetFlag(site, "DontLog", false);
        } else {
            SetNumber(site, "LogType", 0);
        }
        if (c.Flag(10)) Quietly([&] { webService.Call("EnableWebServiceExtension", {"ASP"}); });
        if (c.Flag(11)) Quietly([&] { webService.Call("EnableExtensionFile", {"*.exe"}); });
        if (c.Flag(10) || c.Flag(11)) Commit(webService);
        SetNumber(site, "MaxConnections", c.Flag(12) ? -1 : c.Integer(14));
        SetNumber(site, "ServerSize", c.Integer(15));
        Commit(site);
    });
}

void CreateVirtualFolder(CommandContext& c) {
    Quietly([&] {
        const int32_t number = c.Integer(18);
        const AutomationObject site = OpenSite(OpenWebService(), number);
        const std::string name = TranslatablePath(c, 1, 1);
        const AutomationObject folder = OpenOrCreateVirtualFolder(site, name);
        SetText(folder, "Path", c.Path(2));
        SetFlag(folder, "AccessSource", c.Flag(3));
        SetFlag(folder, "AccessRead", c.Flag(4));
        SetFlag(folder, "AccessWrite", c.Flag(5));
        SetFlag(folder, "EnableDirBrowsing", c.Flag(6));
        SetFlag(folder, "DontLog", !c.Flag(7));
        SetFlag(folder, "ContentIndexed", c.Flag(8));
        if (const int32_t protection = c.Integer(9); protection != 0) {
            folder.Call("AppCreate2", {ApplicationMode(protection)});
            SetText(folder, "AppFriendlyName", name);
        }
        const int32_t execute = c.Integer(10);
        SetFlag(folder, "AccessScript", false);
        SetFlag(folder, "AccessExecute", false);
        if (execute > 0) SetFlag(folder, "AccessScript", true);
        if (execute > 1) SetFlag(folder, "AccessExecute", true);
        SetFlag(folder, "EnableDefaultDoc", c.Flag(11));
        SetText(folder, "DefaultDoc", TranslatablePath(c, 12, 2));
        const std::string footer = TranslatablePath(c, 13, 3);
        SetFlag(folder, "EnableDocFooter", !footer.empty());
        if (!footer.empty()) SetText(folder, "DefaultDocFooter", footer);
        SetFlag(folder, "AuthAnonymous", c.Flag(14));
        SetFlag(folder, "AuthNTLM", c.Flag(15));
        SetFlag(folder, "AuthBasic", c.Flag(16));
        Commit(folder);
        if (const std::string mimeMap = c.Path(17); !mimeMap.empty()) {
            AppendMimeMap(folder, ParseMimeMap(mimeMap));
            Commit(folder);
        }
    });
}

void DeleteIisSite(CommandContext& c) {
    Quietly([&] {
        const int32_t number = NumberParameter(c, 1);
        DeleteSite(OpenWebService(), number);
    });
}

void ControlIisSite(CommandContext& c) {
    Quietly([&] {
        const int32_t number = NumberParameter(c, 1);
        const AutomationObject site = OpenSite(OpenWebService(), number);
        site.Property("Status");  // a site that does not answer is left alone
        switch (NumberParameter(c, 2)) {
            case 0: site.Call("Start"); break;
            case 1: site.Call("Stop"); break;
            case 2: site.Call("Start"); site.Call("Pause"); break;
            case 3: site.Call("Start"); site.Call("Continue"); break;
            default: break;
        }
    });
}

void DeleteIisVirtualFolder(CommandContext& c) {
    Quietly([&] {
        const int32_t number = NumberParameter(c, 1);
        DeleteVirtualFolder(OpenSite(OpenWebService(), number), c.Path(2));
    });
}

void GetIisSiteIndex(CommandContext& c) {
    const std::string description = TranslatablePath(c, 1, 1);
    int32_t index = 0;
    Quietly([&] {
        for (const AutomationObject& child : OpenWebService().Children()) {
            if (!SameText(AutomationText(child.Property("Class")), "IIsWebServer")) continue;
            if (AutomationText(child.Property("ServerComment")) != description) continue;
            index = ParseInt32(AutomationText(child.Property("Name"))).value_or(0);
            return;
        }
    });
    c.SetResult(c.VariableName(2), std::to_string(index));
}

// The site itself (p1 true) or its virtual folder p4.
AutomationObject PropertyOwner(const CommandContext& c) {
    const int32_t number = NumberParameter(c, 3);
    const AutomationObject site = OpenSite(OpenWebService(), number);
    return c.Flag(1) ? site : OpenVirtualFolder(site, c.Path(4));
}

void GetIisProperty(CommandContext& c) {
    std::string value = "!ERROR!";
    Quietly([&] { value = AutomationText(PropertyOwner(c).Call("Get", {c.Expanded(5)})); });
    c.SetResult(c.VariableName(6), value);
}

void SetIisProperty(CommandContext& c) {
    Quietly([&] {
        const AutomationObject owner = PropertyOwner(c);
        owner.Call("Put", {c.Expanded(5), c.Expanded(6)});
        Commit(owner);
    });
}

void IisAnonymousUser(CommandContext& c) {
    const std::string user = IisAnonymousUserName();
    if (const std::string variable = c.Raw(1); !variable.empty()) c.SetResult(variable, user);
}

}  // namespace

void RegisterIisCommands(CommandTable& table) {
    table.Register("Create IIS Site", CreateIisSite);
    table.Register("Delete IIS Site", DeleteIisSite);
    table.Register("Control IIS Site", ControlIisSite);
    table.Register("Get IIS Site Index", GetIisSiteIndex);
    table.Register("Create Virtual Folder", CreateVirtualFolder);
    table.Register("Delete Virtual Folder", DeleteIisVirtualFolder);
    table.Register("Get IIS Property", GetIisProperty);
    table.Register("Set IIS Property", SetIisProperty);
    table.Register("IIS Anonymous User", IisAnonymousUser);
    table.DeclareTranslatable("Create IIS Site", {1});
    table.DeclareTranslatable("Create Virtual Folder", {1, 12, 13});
    table.DeclareTranslatable("Get IIS Site Index", {1});
}
