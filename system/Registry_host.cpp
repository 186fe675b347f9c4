#include "system/HostRegistry.h"
#include "system/TextUtils.h"

HostRegistry& HostRegistryState() {
    static HostRegistry registry;
    return registry;
}

namespace {
HostRegistryKeyName KeyName(RegistryRoot root, const std::string& key) {
    std::string path = UpperAscii(key);
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return {root, path};
}
}  // namespace

void HostRegistry::Set(RegistryRoot root, const std::string& key, const std::string& name, const RegistryData& value) {
    keys[KeyName(root, key)][UpperAscii(name)] = value;
}

std::optional<RegistryData> ReadRegistryData(RegistryRoot root, const std::string& key, const std::string& name) {
    auto& keys = HostRegistryState().keys;
    auto k = keys.find(KeyName(root, key));
    if (k == keys.end()) return std::nullopt;
    auto v = k->second.find(UpperAscii(name));
    if (v == k->second.end()) return std::nullopt;
    return v->second;
}

std::optional<std::string> ReadRegistryString(RegistryRoot root, const std::string& key, const std::string& name) {
    const auto value = ReadRegistryData(root, key, name);
    if (!value || (value->kind != RegistryData::Kind::String && value->kind != RegistryData::Kind::ExpandableString))
        return std::nullopt;
    return value->text;
}

bool WriteRegistryString(RegistryRoot root, const std::string& key, const std::string& name, const std::string& value) {
    HostRegistryState().Set(root, key, name, {RegistryData::Kind::String, value, 0});
    return true;
}

bool WriteRegistryNumber(RegistryRoot root, const std::string& key, const std::string& name, uint32_t value) {
    HostRegistryState().Set(root, key, name, {RegistryData::Kind::Number, "", value});
    return true;
}

bool DeleteRegistryValue(RegistryRoot root, const std::string& key, const std::string& name) {
    auto& keys = HostRegistryState().keys;
    auto k = keys.find(KeyName(root, key));
    return k != keys.end() && k->second.erase(UpperAscii(name)) > 0;
}

bool DeleteRegistryKey(RegistryRoot root, const std::string& key) {
    auto& keys = HostRegistryState().keys;
    const auto name = KeyName(root, key);
    bool found = false;
    for (auto it = keys.begin(); it != keys.end();) {
        const bool below = it->first.root == root &&
                           (it->first.path == name.path || StartsWith(it->first.path, name.path + "\\"));
        if (below) {
            it = keys.erase(it);
            found = true;
        } else {
            ++it;
        }
    }
    return found;
}

bool RegistryKeyExists(RegistryRoot root, const std::string& key) {
    return HostRegistryState().keys.count(KeyName(root, key)) > 0;
}
