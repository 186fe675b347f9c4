#pragma once
#include <map>
#include <string>

#include "system/Registry.h"

// Host side of the registry: an in-memory tree that tests fill and inspect.
// Keys and value names compare without regard to case, as on Windows.
struct HostRegistryKeyName {
    RegistryRoot root;
    std::string path;  // upper-cased
    bool operator<(const HostRegistryKeyName& o) const { return root != o.root ? root < o.root : path < o.path; }
};

struct HostRegistry {
    // key -> (upper-cased value name -> value)
    std::map<HostRegistryKeyName, std::map<std::string, RegistryData>> keys;
    void Clear() { keys.clear(); }
    // A value of any kind, its key created when missing.
    void Set(RegistryRoot root, const std::string& key, const std::string& name, const RegistryData& value);
};

HostRegistry& HostRegistryState();
