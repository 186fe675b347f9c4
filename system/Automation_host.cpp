#include "system/HostAutomation.h"

std::map<std::string, HostAutomationMaker>& HostAutomationClasses() {
    static std::map<std::string, HostAutomationMaker> classes;
    return classes;
}

AutomationObject CreateAutomationObject(const std::string& progId) {
    const auto found = HostAutomationClasses().find(progId);
    if (found == HostAutomationClasses().end()) throw AutomationError(progId + " is not registered");
    return AutomationObject(found->second());
}

AutomationApartment::AutomationApartment() = default;
AutomationApartment::~AutomationApartment() = default;
