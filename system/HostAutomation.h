#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "system/Automation.h"

// Host side of automation: ProgID -> a maker of the class's objects. Empty
// unless a test registers classes; a ProgID without a maker cannot be created.
using HostAutomationMaker = std::function<std::shared_ptr<AutomationTarget>()>;
std::map<std::string, HostAutomationMaker>& HostAutomationClasses();
