#include "script/AccessRules.h"

#include "system/TextUtils.h"

namespace {

constexpr uint8_t kInheritedByFilesAndFolders = kInheritToFiles | kInheritToFolders;
constexpr uint32_t kReadAndExecute = 0x1200A9;
constexpr uint32_t kFullControl = 0x1F01FF;
constexpr uint32_t kPrint = 0x20008;
constexpr uint32_t kManagePrinter = 0xF000C;
constexpr uint32_t kManageDocuments = 0xF0010;
constexpr uint32_t kReadOn9x = 0x81;
constexpr uint32_t kFullOn9x = 0xB7;

}  // namespace

std::optional<SecuredObjectKind> RequestedObjectKind(const AccessRequest& r) {
    if (r.printer) return SecuredObjectKind::Printer;
    if (r.service) return SecuredObjectKind::Service;
    if (r.registryKey) return SecuredObjectKind::RegistryKey;
    if (r.share) return SecuredObjectKind::Share;
    if (r.fileOrFolder) return SecuredObjectKind::FileOrFolder;
    return std::nullopt;
}

std::vector<AllowedEntry> AccessEntries(SecuredObjectKind kind, bool full, bool ntFamily) {
    const bool printer = kind == SecuredObjectKind::Printer;
    if (!ntFamily) {
        const uint32_t mask = full ? kFullOn9x : kReadOn9x;
        return {{mask, printer ? uint8_t{0} : kInheritedByFilesAndFolders}};
    }
    if (!printer) return {{full ? kFullControl : kReadAndExecute, kInheritedByFilesAndFolders}};
    if (!full) return {{kPrint, 0}};
    return {{kManagePrinter, 0}, {kManageDocuments, kInheritOnly | kInheritToFiles}};
}

std::optional<AccessListChange> AccessChangeFor(const AccessRequest& r, SecuredObjectKind kind) {
    if (r.grant) {
        AccessListChange change;
        const std::pair<bool, AccountRef> accounts[] = {{r.everyone, {AccountKind::Everyone, ""}},
                                                        {r.currentUser, {AccountKind::CurrentUser, ""}},
                                                        {r.authenticatedUsers, {AccountKind::AuthenticatedUsers, ""}},
                                                        {r.named, {AccountKind::Named, r.accountName}}};
        for (const auto& [selected, account] : accounts) {
            if (!selected) continue;
            if (r.read) change.accounts.push_back({account, AccessEntries(kind, false, r.ntFamily)});
            if (r.full) change.accounts.push_back({account, AccessEntries(kind, true, r.ntFamily)});
        }
        if (change.accounts.empty()) return std::nullopt;
        return change;
    }
    if (r.emptyList) return AccessListChange{AccessListChange::Kind::Empty, {}};
    if (r.removeList) return AccessListChange{AccessListChange::Kind::Remove, {}};
    return std::nullopt;
}

std::string SecurityRegistryKeyName(const std::string& key) {
    static const std::pair<const char*, const char*> kRoots[] = {
        {"HKEY_CLASSES_ROOT", "CLASSES_ROOT"}, {"HKCR", "CLASSES_ROOT"},   {"HKEY_CURRENT_USER", "CURRENT_USER"},
        {"HKCU", "CURRENT_USER"},             {"HKEY_LOCAL_MACHINE", "MACHINE"}, {"HKLM", "MACHINE"},
        {"HKEY_USERS", "USERS"},              {"HKU", "USERS"},            {"HKEY_CURRENT_CONFIG", "CURRENT_CONFIG"},
        {"HKCC", "CURRENT_CONFIG"}};
    const size_t end = key.find('\\');
    const std::string root = key.substr(0, end);
    for (const auto& [written, api] : kRoots)
        if (SameText(root, written)) return api + (end == std::string::npos ? std::string() : key.substr(end));
    return key;
}
