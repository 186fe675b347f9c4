#include "system/miis.h"

#include "system/CommaText.h"

namespace {

constexpr const char* kSiteClass = "IIsWebServer";
constexpr const char* kFolderClass = "IIsWebVirtualDir";

}  // namespace

AutomationObject OpenWebService() {
    return CreateAutomationObject("IISNamespace").CallForObject("GetObject", {"IIsWebService", "localhost/w3svc"});
}

AutomationObject OpenSite(const AutomationObject& webService, int32_t number) {
    return webService.CallForObject("GetObject", {kSiteClass, std::to_string(number)});
}

AutomationObject OpenOrCreateSite(const AutomationObject& webService, int32_t number) {
    try {
        return OpenSite(webService, number);
    } catch (const AutomationError&) {
        return webService.CallForObject("Create", {kSiteClass, std::to_string(number)});
    }
}

void DeleteSite(const AutomationObject& webService, int32_t number) {
    webService.Call("Delete", {kSiteClass, std::to_string(number)});
}

AutomationObject OpenVirtualFolder(const AutomationObject& site, const std::string& name) {
    return site.CallForObject("GetObject", {kFolderClass, VirtualFolderPath(name)});
}

AutomationObject OpenOrCreateVirtualFolder(const AutomationObject& site, const std::string& name) {
    try {
        return OpenVirtualFolder(site, name);
    } catch (const AutomationError&) {
        return site.CallForObject("Create", {kFolderClass, VirtualFolderPath(name)});
    }
}

void DeleteVirtualFolder(const AutomationObject& site, const std::string& name) {
    site.Call("Delete", {kFolderClass, VirtualFolderPath(name)});
}

void Commit(const AutomationObject& object) { object.Call("SetInfo"); }

void SetFlag(const AutomationObject& object, const char* name, bool value) { object.SetProperty(name, value); }

void SetNumber(const AutomationObject& object, const char* name, int32_t value) { object.SetProperty(name, value); }

void SetText(const AutomationObject& object, const char* name, const std::string& value) {
    object.SetProperty(name, value);
}

int32_t FirstFreeSiteNumber() {
    AutomationObject webService;
    try {
        webService = OpenWebService();
    } catch (const AutomationError&) {
        return -1;
    }
    for (int32_t number = 1;; ++number) {
        try {
            OpenSite(webService, number);
        } catch (const AutomationError&) {
            return number;
        }
    }
}

std::string IisAnonymousUserName() {
    const AutomationApartment apartment;
    const int32_t number = FirstFreeSiteNumber();
    if (number < 0) return {};
    try {
        const AutomationObject webService = OpenWebService();
        const AutomationObject site = webService.CallForObject("Create", {kSiteClass, std::to_string(number)});
        // The temporary site goes again on every way out once it exists.
        struct Removal {
            const AutomationObject& webService;
            int32_t number;
            ~Removal() {
                try {
                    DeleteSite(webService, number);
                } catch (const AutomationError&) {
                }
            }
        } removal{webService, number};
        Commit(site);
        return AutomationText(site.Property("AnonymousUserName"));
    } catch (const AutomationError&) {
        return {};
    }
}

std::string VirtualFolderPath(const std::string& name) { return name.empty() ? "Root" : "Root/" + name; }

std::string BindingText(const std::string& address, const std::string& port, const std::string& hostHeader) {
    return address + ":" + port + ":" + hostHeader;
}

int32_t ApplicationMode(int32_t protection) {
    switch (protection) {
        case 1: return 0;  // in process
        case 3: return 1;  // isolated
        default: return 2;  // pooled
    }
}

std::vector<MimeMapEntry> ParseMimeMap(const std::string& commaText) {
    std::vector<MimeMapEntry> entries;
    for (const std::string& item : FromCommaText(commaText)) {
        const size_t equals = item.find('=');
        if (equals == std::string::npos)
            entries.push_back({item, {}});
        else
            entries.push_back({item.substr(0, equals), item.substr(equals + 1)});
    }
    return entries;
}

void AppendMimeMap(const AutomationObject& folder, const std::vector<MimeMapEntry>& entries) {
    AutomationValue map = folder.Property("MimeMap");
    if (map.kind != AutomationValue::Kind::List) map = std::vector<AutomationValue>{};
    for (const MimeMapEntry& entry : entries) {
        const AutomationObject item = CreateAutomationObject("MimeMap");
        item.SetProperty("Extension", entry.extension);
        item.SetProperty("MimeType", entry.type);
        map.list.push_back(item);
    }
    folder.SetProperty("MimeMap", map);
}
