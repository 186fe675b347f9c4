#include "system/HostNetworkShares.h"
#include "system/TextUtils.h"

std::map<std::string, HostShare>& HostNetworkShares() {
    static std::map<std::string, HostShare> shares;
    return shares;
}

bool CreateNetworkShare(const std::string& folder, const std::string& name, const std::string& remark) {
    return HostNetworkShares().emplace(UpperAscii(name), HostShare{folder, remark}).second;
}

bool DeleteNetworkShare(const std::string& name) { return HostNetworkShares().erase(UpperAscii(name)) > 0; }
