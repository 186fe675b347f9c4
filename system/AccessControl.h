#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Changes of an object's discretionary access list, through the system's
// security API. Object names follow that API: files and folders by path,
// shares by name, registry keys as "MACHINE\...", "CURRENT_USER\..." and the
// like, services and printers by name.
enum class SecuredObjectKind { FileOrFolder, Share, RegistryKey, Service, Printer };

enum class AccountKind { Everyone, CurrentUser, AuthenticatedUsers, Named };
struct AccountRef {
    AccountKind kind = AccountKind::Everyone;
    std::string name;  // Named only
    bool operator==(const AccountRef&) const = default;
};

// Inheritance flags of an entry, as the system's entry header holds them.
enum : uint8_t { kInheritToFiles = 0x01, kInheritToFolders = 0x02, kInheritOnly = 0x08 };

// One access-allowed entry.
struct AllowedEntry {
    uint32_t mask = 0;
    uint8_t inheritance = 0;
    bool operator==(const AllowedEntry&) const = default;
};

// An account's access set anew: every entry of the account leaves the list,
// then these entries are added.
struct AccountAccess {
    AccountRef account;
    std::vector<AllowedEntry> entries;
    bool operator==(const AccountAccess&) const = default;
};

struct AccessListChange {
    enum class Kind {
        SetAccounts,  // the accounts' access, in order
        Empty,        // an empty list: nobody has access
        Remove,       // no list at all: no restriction
    };
    Kind kind = Kind::SetAccounts;
    std::vector<AccountAccess> accounts;
    bool operator==(const AccessListChange&) const = default;
};

// Reads the object's list, changes it and writes it back; false when any
// step fails (the object is then unchanged).
bool ChangeAccessList(const std::string& objectName, SecuredObjectKind kind, const AccessListChange& change);
