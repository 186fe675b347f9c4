#pragma once
#include <string>
#include <vector>

#include "system/AccessControl.h"

// Host side of the security API: the changes asked for, in order.
struct HostAccessChange {
    std::string objectName;
    SecuredObjectKind kind;
    AccessListChange change;
};
std::vector<HostAccessChange>& HostAccessChanges();
