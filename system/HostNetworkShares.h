#pragma once
#include <map>
#include <string>

#include "system/NetworkShares.h"

// Host side of the network shares: share name (upper-cased) -> folder and remark.
struct HostShare {
    std::string folder;
    std::string remark;
};
std::map<std::string, HostShare>& HostNetworkShares();
