#include "system/HostAccessControl.h"

std::vector<HostAccessChange>& HostAccessChanges() {
    static std::vector<HostAccessChange> changes;
    return changes;
}

bool ChangeAccessList(const std::string& objectName, SecuredObjectKind kind, const AccessListChange& change) {
    HostAccessChanges().push_back({objectName, kind, change});
    return true;
}
