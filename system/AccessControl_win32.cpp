#include <windows.h>
#include <aclapi.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "system/AccessControl.h"
#include "system/OwnedHandle_win32.h"

namespace {

using Bytes = std::vector<BYTE>;

struct LocalMemoryFree {
    void operator()(void* memory) const { LocalFree(memory); }
};
using OwnedSecurityDescriptor = std::unique_ptr<void, LocalMemoryFree>;

SE_OBJECT_TYPE ObjectType(SecuredObjectKind kind) {
    switch (kind) {
        case SecuredObjectKind::FileOrFolder: return SE_FILE_OBJECT;
        case SecuredObjectKind::Share: return SE_LMSHARE;
        case SecuredObjectKind::RegistryKey: return SE_REGISTRY_KEY;
        case SecuredObjectKind::Service: return SE_SERVICE;
        case SecuredObjectKind::Printer: return SE_PRINTER;
    }
    return SE_UNKNOWN_OBJECT_TYPE;
}

Bytes WellKnownSid(SID_IDENTIFIER_AUTHORITY authority, DWORD rid) {
    Bytes sid(GetSidLengthRequired(1));
    if (!InitializeSid(sid.data(), &authority, 1)) return {};
    *GetSidSubAuthority(sid.data(), 0) = rid;
    return sid;
}

Bytes TokenUserSid() {
    HANDLE process = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &process)) return {};
    const OwnedHandle token = Own(process);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    Bytes buffer(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    const BYTE* start = static_cast<const BYTE*>(sid);
    return Bytes(start, start + GetLengthSid(sid));
}

Bytes NamedAccountSid(const std::string& name) {
    DWORD sidSize = 0, domainSize = 0;
    SID_NAME_USE use;
    LookupAccountNameA(nullptr, name.c_str(), nullptr, &sidSize, nullptr, &domainSize, &use);
    if (sidSize == 0) return {};
    Bytes sid(sidSize);
    std::vector<char> domain(domainSize + 1);
    if (!LookupAccountNameA(nullptr, name.c_str(), sid.data(), &sidSize, domain.data(), &domainSize, &use)) return {};
    return sid;
}

Bytes AccountSid(const AccountRef& account) {
    switch (account.kind) {
        case AccountKind::Everyone: return WellKnownSid(SECURITY_WORLD_SID_AUTHORITY, SECURITY_WORLD_RID);
        case AccountKind::AuthenticatedUsers:
            return WellKnownSid(SECURITY_NT_AUTHORITY, SECURITY_AUTHENTICATED_USER_RID);
        case AccountKind::CurrentUser: return TokenUserSid();
        case AccountKind::Named: return NamedAccountSid(account.name);
    }
    return {};
}

// The entries of a list as raw bytes, each a whole entry with its header.
std::vector<Bytes> EntriesOf(const ACL* list) {
    std::vector<Bytes> entries;
    if (!list) return entries;
    for (DWORD i = 0; i < list->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(const_cast<ACL*>(list), i, &entry)) continue;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        const BYTE* start = static_cast<const BYTE*>(entry);
        entries.emplace_back(start, start + header->AceSize);
    }
    return entries;
}

// The entry kinds whose account follows the header and the mask.
bool NamesAccount(const Bytes& entry, const Bytes& sid) {
    const auto* header = reinterpret_cast<const ACE_HEADER*>(entry.data());
    if (header->AceType > SYSTEM_ALARM_ACE_TYPE) return false;
    const size_t offset = sizeof(ACE_HEADER) + sizeof(ACCESS_MASK);
    return entry.size() >= offset + sid.size() && std::memcmp(entry.data() + offset, sid.data(), sid.size()) == 0;
}

Bytes AllowedEntryBytes(const AllowedEntry& allowed, const Bytes& sid) {
    Bytes entry(sizeof(ACE_HEADER) + sizeof(ACCESS_MASK) + sid.size());
    ACE_HEADER header{ACCESS_ALLOWED_ACE_TYPE, allowed.inheritance, static_cast<WORD>(entry.size())};
    std::memcpy(entry.data(), &header, sizeof header);
    std::memcpy(entry.data() + sizeof header, &allowed.mask, sizeof allowed.mask);
    std::memcpy(entry.data() + sizeof header + sizeof(ACCESS_MASK), sid.data(), sid.size());
    return entry;
}

// In the order the system checks them: own denials, own grants, inherited entries.
int CanonicalRank(const Bytes& entry) {
    const auto* header = reinterpret_cast<const ACE_HEADER*>(entry.data());
    if (header->AceFlags & INHERITED_ACE) return 2;
    return header->AceType == ACCESS_DENIED_ACE_TYPE || header->AceType == ACCESS_DENIED_OBJECT_ACE_TYPE ? 0 : 1;
}

std::optional<Bytes> BuildList(std::vector<Bytes> entries, BYTE revision) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Bytes& a, const Bytes& b) { return CanonicalRank(a) < CanonicalRank(b); });
    size_t size = sizeof(ACL);
    for (const auto& entry : entries) size += entry.size();
    if (size > 0xFFFF) return std::nullopt;
    Bytes list(size);
    ACL* acl = reinterpret_cast<ACL*>(list.data());
    if (!InitializeAcl(acl, static_cast<DWORD>(size), std::max<DWORD>(revision, ACL_REVISION))) return std::nullopt;
    for (auto& entry : entries)
        if (!AddAce(acl, acl->AclRevision, MAXDWORD, entry.data(), static_cast<DWORD>(entry.size())))
            return std::nullopt;
    return list;
}

// Without the protection flag the object keeps inheriting from its parent.
bool WriteList(std::string name, SE_OBJECT_TYPE type, ACL* list, bool protect) {
    const SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION | (protect ? PROTECTED_DACL_SECURITY_INFORMATION : 0);
    return SetNamedSecurityInfoA(name.data(), type, what, nullptr, nullptr, list, nullptr) == ERROR_SUCCESS;
}

}  // namespace

bool ChangeAccessList(const std::string& objectName, SecuredObjectKind kind, const AccessListChange& change) {
    const SE_OBJECT_TYPE type = ObjectType(kind);
    if (change.kind == AccessListChange::Kind::Remove) return WriteList(objectName, type, nullptr, false);
    if (change.kind == AccessListChange::Kind::Empty) {
        const auto empty = BuildList({}, ACL_REVISION);
        return empty && WriteList(objectName, type, reinterpret_cast<ACL*>(const_cast<BYTE*>(empty->data())), true);
    }

    std::string name = objectName;
    PACL current = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD read = GetNamedSecurityInfoA(name.data(), type, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                             &current, nullptr, &descriptor);
    const OwnedSecurityDescriptor owned(descriptor);
    // Wine answers success without a descriptor for the kinds it lacks (shares, printers).
    if (read != ERROR_SUCCESS || !descriptor) return false;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD descriptorRevision = 0;
    const bool protectedList =
        GetSecurityDescriptorControl(descriptor, &control, &descriptorRevision) && (control & SE_DACL_PROTECTED);

    std::vector<Bytes> entries = EntriesOf(current);
    for (const auto& access : change.accounts) {
        const Bytes sid = AccountSid(access.account);
        if (sid.empty()) return false;
        std::erase_if(entries, [&](const Bytes& entry) { return NamesAccount(entry, sid); });
        for (const auto& allowed : access.entries) entries.push_back(AllowedEntryBytes(allowed, sid));
    }
    auto list = BuildList(std::move(entries), current ? current->AclRevision : ACL_REVISION);
    return list && WriteList(objectName, type, reinterpret_cast<ACL*>(list->data()), protectedList);
}
