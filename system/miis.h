#pragma once
// miis: the web server's administration objects.
#include <cstdint>
#include <string>
#include <vector>

#include "system/Automation.h"

// The local web server's administration objects, reached through the
// automation object "IISNamespace". Every call throws AutomationError when
// the server (or the object model) refuses it.

// The web service "localhost/w3svc", reached afresh from "IISNamespace".
AutomationObject OpenWebService();
// Site n of the web service: opened, or created when opening fails.
AutomationObject OpenSite(const AutomationObject& webService, int32_t number);
AutomationObject OpenOrCreateSite(const AutomationObject& webService, int32_t number);
void DeleteSite(const AutomationObject& webService, int32_t number);
// A site's virtual folder; the empty name is the site's root.
AutomationObject OpenVirtualFolder(const AutomationObject& site, const std::string& name);
AutomationObject OpenOrCreateVirtualFolder(const AutomationObject& site, const std::string& name);
void DeleteVirtualFolder(const AutomationObject& site, const std::string& name);
// Commits the object's changed properties.
void Commit(const AutomationObject& object);
// Property writes of each kind.
void SetFlag(const AutomationObject& object, const char* name, bool value);
void SetNumber(const AutomationObject& object, const char* name, int32_t value);
void SetText(const AutomationObject& object, const char* name, const std::string& value);

// Starting at 1, the first site number that does not open; -1 when the web
// service cannot be reached.
int32_t FirstFreeSiteNumber();
// The anonymous user new sites inherit, read from a temporary site that is
// removed again; empty on any failure.
std::string IisAnonymousUserName();

// The texts and numbers the commands write.
std::string VirtualFolderPath(const std::string& name);  // "Root" or "Root/<name>"
// "<address>:<port>:<host header>"
std::string BindingText(const std::string& address, const std::string& port, const std::string& hostHeader);
// The AppCreate2 mode of an application protection (1 low, 2 medium, 3 high).
int32_t ApplicationMode(int32_t protection);

struct MimeMapEntry {
    std::string extension;
    std::string type;
};
// Comma text of extension=type entries; an entry without "=" has an empty type.
std::vector<MimeMapEntry> ParseMimeMap(const std::string& commaText);
// Appends the entries as new "MimeMap" objects to the folder's map and writes it back.
void AppendMimeMap(const AutomationObject& folder, const std::vector<MimeMapEntry>& entries);
