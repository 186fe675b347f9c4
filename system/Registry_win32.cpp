#include <windows.h>

#include <cstring>

#include "system/FailureReason.h"
#include "system/Registry.h"

namespace {
HKEY RootKey(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
        case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
        case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
        case RegistryRoot::Users: return HKEY_USERS;
        case RegistryRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
    }
    return HKEY_CURRENT_USER;
}

// Whether a registry call succeeded, keeping the system's reason when it did not.
bool Succeeded(LONG status) {
    if (status == ERROR_SUCCESS) {
        ForgetFailure();
        return true;
    }
    RecordFailure(static_cast<unsigned>(status));
    return false;
}

class Key {
public:
    Key(RegistryRoot root, const std::string& path, REGSAM access, bool create) {
        if (create)
            ok_ = Succeeded(
                RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, 0, access, nullptr, &key_, nullptr));
        else
            ok_ = Succeeded(RegOpenKeyExA(RootKey(root), path.c_str(), 0, access, &key_));
    }
    ~Key() {
        if (ok_) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    explicit operator bool() const { return ok_; }
    HKEY get() const { return key_; }

private:
    HKEY key_{};
    bool ok_ = false;
};
}  // namespace

std::optional<RegistryData> ReadRegistryData(RegistryRoot root, const std::string& key, const std::string& name) {
    Key k(root, key, KEY_READ, false);
    if (!k) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    std::string bytes(size + 1, '\0');
    if (RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    bytes.resize(size);
    RegistryData data;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        while (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
        data.kind = type == REG_SZ ? RegistryData::Kind::String : RegistryData::Kind::ExpandableString;
        data.text = bytes;
    } else if (type == REG_DWORD && size == sizeof(DWORD)) {
        data.kind = RegistryData::Kind::Number;
        std::memcpy(&data.number, bytes.data(), sizeof(DWORD));
    }
    return data;
}

std::optional<std::string> ReadRegistryString(RegistryRoot root, const std::string& key, const std::string& name) {
    const auto value = ReadRegistryData(root, key, name);
    if (!value || (value->kind != RegistryData::Kind::String && value->kind != RegistryData::Kind::ExpandableString))
        return std::nullopt;
    return value->text;
}

bool WriteRegistryString(RegistryRoot root, const std::string& key, const std::string& name, const std::string& value) {
    Key k(root, key, KEY_WRITE, true);
    if (!k) return false;
    return Succeeded(RegSetValueExA(k.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>(value.size() + 1)));
}

bool WriteRegistryNumber(RegistryRoot root, const std::string& key, const std::string& name, uint32_t value) {
    Key k(root, key, KEY_WRITE, true);
    if (!k) return false;
    const DWORD number = value;
    return Succeeded(RegSetValueExA(k.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                    sizeof number));
}

bool DeleteRegistryValue(RegistryRoot root, const std::string& key, const std::string& name) {
    Key k(root, key, KEY_WRITE, false);
    return k && Succeeded(RegDeleteValueA(k.get(), name.c_str()));
}

bool DeleteRegistryKey(RegistryRoot root, const std::string& key) {
    // RegDeleteTreeA needs Vista; delete subkeys depth first by hand.
    {
        Key k(root, key, KEY_READ | KEY_WRITE, false);
        if (!k) return false;
        char child[256];
        for (;;) {
            DWORD size = sizeof child;
            if (RegEnumKeyExA(k.get(), 0, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            if (!DeleteRegistryKey(root, key + "\\" + child)) return false;
        }
    }
    return Succeeded(RegDeleteKeyA(RootKey(root), key.c_str()));
}

bool RegistryKeyExists(RegistryRoot root, const std::string& key) {
    Key k(root, key, KEY_READ, false);
    return static_cast<bool>(k);
}
