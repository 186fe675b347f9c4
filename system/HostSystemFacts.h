#pragma once
#include <map>
#include <set>
#include <string>

#include "system/SystemFacts.h"

// Host side of the machine's facts: what tests make the machine report.
struct HostSystemFacts {
    OsVersion version{5, 1, 2600, true, "Service Pack 3"};
    uint64_t memory = 0;
    ScreenFacts screen{1024, 768, true, 32, 96};
    std::set<BuiltinAlias> aliases;
    AccountOfToken account;
    std::string loggedOnUser;
    std::string computer;
    std::map<std::string, uint16_t> fileLanguages;  // path -> first translation language
    std::map<uint16_t, std::string> languageNames;
};

HostSystemFacts& HostSystemFactsState();
