#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "system/Automation.h"

// An in-memory stand-in for the web server's administration objects: the
// namespace, the web service "localhost/w3svc", its sites and their virtual
// folders, with the calls the engine makes on them. Sites and folders exist
// once committed (SetInfo); every call is recorded in order, and one named
// call can be made to fail. Host tests reach it through HostAutomation; the
// Wine tests through the COM server tools/testhelpers/iisdouble.

struct IisModelFolder {
    std::map<std::string, AutomationValue> properties;
    bool committed = false;
};

struct IisModelSite {
    std::map<std::string, AutomationValue> properties;
    std::map<std::string, std::shared_ptr<IisModelFolder>> folders;  // by path ("Root", "Root/x")
    std::string state = "stopped";  // stopped, started, paused
    bool committed = false;
};

struct IisModelState {
    std::map<int, std::shared_ptr<IisModelSite>> sites;
    std::vector<std::string> webServiceExtensions;  // enabled ones
    std::vector<std::string> extensionFiles;
    std::vector<std::string> calls;  // "<object>.<call>[ <arguments>]"
    std::string failingCall;         // a call of this name fails (e.g. "Start")
    std::string anonymousUser = "IUSR_DOUBLE";

    void AddSite(int number, const std::string& description);
    // The committed sites and folders, the enabled extensions and the calls, as JSON.
    std::string Json() const;
};

// The object "IISNamespace" hands out; its objects act on the state.
std::shared_ptr<AutomationTarget> MakeIisNamespace(std::shared_ptr<IisModelState> state);
// An object "MimeMap" (Extension, MimeType).
std::shared_ptr<AutomationTarget> MakeMimeMapEntry();
