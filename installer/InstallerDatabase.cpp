#include "installer/InstallerDatabase.h"

#include <mutex>
#include <stdexcept>

#include "core/NewlineText.h"
#include "installer/uMSIAPI.h"
#include "system/GuidText.h"
#include "system/TextUtils.h"

namespace {
constexpr unsigned kPackageCodeProperty = 9;  // summary "revision number"

const char* const kInsertProperty = "INSERT INTO `Property` ( `Property` , `Value` ) VALUES ( ? , ? )";
const char* const kUpdateProperty = "UPDATE `Property` SET `Value`=? WHERE `Property`=?";
const char* const kSelectComponentIds = "SELECT `ComponentId` FROM `Component`";
const char* const kUpdateShortcutName = "UPDATE `Shortcut` SET `Name`=? WHERE `Directory_`=?";
const char* const kUpdateShortcutDescription = "UPDATE `Shortcut` SET `Description`=? WHERE `Directory_`=?";
const char* const kUpdateProgIdDescription = "UPDATE `ProgId` SET `Description`=? WHERE `ProgId`=?";
const char* const kRenameProgId = "UPDATE `ProgId` SET `ProgId`=? WHERE `ProgId`=?";
const char* const kRenameExtensionProgId = "UPDATE `Extension` SET `ProgId_`=? WHERE `ProgId_`=?";
const char* const kRenameParentProgId = "UPDATE `ProgId` SET `ProgId_Parent`=? WHERE `ProgId_Parent`=?";

struct DatabaseEditState {
    std::mutex lock;
    std::vector<PendingProperty> pending;
    NewInstanceRequest newInstance;
    std::string reidentifiedPackage;
};

DatabaseEditState& State() {
    static DatabaseEditState state;
    return state;
}

// The package opened for direct editing; committed by Commit, closed on every way out.
class EditedDatabase {
public:
    EditedDatabase(MsiApi& api, const std::string& path) : api_(api), database_(api) {
        api_.OpenDatabase(path, kMsiOpenDirect, database_.Receive());
    }
    bool IsOpen() const { return database_.Get() != 0; }
    MsiHandle Handle() const { return database_.Get(); }

    // Runs one statement with its texts bound to the "?" markers in order;
    // false when it cannot be prepared or fails.
    bool Run(const char* statement, const std::vector<std::string>& parameters) {
        MsiHandleOwner view(api_);
        if (api_.OpenView(database_.Get(), statement, view.Receive()) != kMsiSuccess) return false;
        MsiHandleOwner record(api_, api_.CreateRecord(static_cast<unsigned>(parameters.size())));
        for (size_t i = 0; i < parameters.size(); ++i)
            api_.RecordSetString(record.Get(), static_cast<unsigned>(i + 1), parameters[i]);
        const bool done = api_.ViewExecute(view.Get(), record.Get()) == kMsiSuccess;
        api_.ViewClose(view.Get());
        return done;
    }

    bool Commit() { return api_.DatabaseCommit(database_.Get()) == kMsiSuccess; }

private:
    MsiApi& api_;
    MsiHandleOwner database_;
};

void ChangeIdentity(MsiApi& api, EditedDatabase& database, const NewInstanceRequest& request,
                    const std::string& package) {
    MsiHandleOwner summary(api);
    if (api.GetSummaryInformation(database.Handle(), 1, summary.Receive()) == kMsiSuccess) {
        api.SummaryInfoSetText(summary.Get(), kPackageCodeProperty, request.packageCode);
        api.SummaryInfoPersist(summary.Get());
    }
    database.Run(kUpdateProperty, {request.productCode, "ProductCode"});
    std::lock_guard<std::mutex> guard(State().lock);
    State().reidentifiedPackage = package;
}

}  // namespace

void SetInstallerProperty(const std::string& name, const std::string& value) {
    std::lock_guard<std::mutex> guard(State().lock);
    State().pending.push_back({name, CrLfToNewline(value)});
}

std::vector<PendingProperty> PendingInstallerProperties() {
    std::lock_guard<std::mutex> guard(State().lock);
    return State().pending;
}

void RequestNewInstance(const std::string& productCode, const std::string& packageCode) {
    std::lock_guard<std::mutex> guard(State().lock);
    State().newInstance = {true, productCode, packageCode};
}

void ClearNewInstanceRequest() {
    std::lock_guard<std::mutex> guard(State().lock);
    State().newInstance = {};
}

NewInstanceRequest CurrentNewInstanceRequest() {
    std::lock_guard<std::mutex> guard(State().lock);
    return State().newInstance;
}

std::string ReidentifiedPackage() {
    std::lock_guard<std::mutex> guard(State().lock);
    return State().reidentifiedPackage;
}

void WritePendingProperties(const std::string& package) {
    NewInstanceRequest request = CurrentNewInstanceRequest();
    if (request.requested) RenewComponentIds(package);
    std::vector<PendingProperty> pending = PendingInstallerProperties();
    if (pending.empty()) return;

    // An installation without these properties would run without the
    // user's folders and features: failing here fails the installation, and
    // the properties stay pending.
    const auto fail = [&package](const std::string& what) {
        throw std::runtime_error("Unable to write the installer properties into " + package + ": " + what);
    };
    MsiApi& api = Msi();
    EditedDatabase database(api, package);
    if (!database.IsOpen()) fail("the package cannot be opened");
    for (size_t i = 0; i < pending.size(); ++i) {
        if (request.requested && i + 1 == pending.size()) ChangeIdentity(api, database, request, package);
        std::string value = NewlineToCrLf(pending[i].value);
        // Inserting an existing property fails; the update then sets it.
        if (!database.Run(kInsertProperty, {pending[i].name, value}) &&
            !database.Run(kUpdateProperty, {value, pending[i].name}))
            fail("the property " + pending[i].name + " cannot be set");
    }
    if (!database.Commit()) fail("the changes cannot be saved");

    std::lock_guard<std::mutex> guard(State().lock);
    State().pending.erase(State().pending.begin(), State().pending.begin() + pending.size());
}

void RenewComponentIds(const std::string& package) {
    MsiApi& api = Msi();
    EditedDatabase database(api, package);
    if (!database.IsOpen()) return;
    MsiHandleOwner view(api);
    if (api.OpenView(database.Handle(), kSelectComponentIds, view.Receive()) != kMsiSuccess) return;
    api.ViewExecute(view.Get(), 0);
    for (;;) {
        MsiHandleOwner record(api);
        if (api.ViewFetch(view.Get(), record.Receive()) != kMsiSuccess) break;
        api.RecordSetString(record.Get(), 1, NewGuidText());
        api.ViewModify(view.Get(), kMsiModifyUpdate, record.Get());
    }
    api.ViewClose(view.Get());
    database.Commit();
}

void TranslateShortcuts(const std::string& package, const std::vector<std::string>& triplets) {
    MsiApi& api = Msi();
    EditedDatabase database(api, package);
    if (!database.IsOpen()) return;
    for (size_t i = 0; i + 2 < triplets.size(); i += 3) {
        database.Run(kUpdateShortcutName, {triplets[i + 1], triplets[i]});
        database.Run(kUpdateShortcutDescription, {triplets[i + 2], triplets[i]});
    }
    database.Commit();
}

void TranslateProgIds(const std::string& package, const std::vector<std::string>& triplets) {
    MsiApi& api = Msi();
    EditedDatabase database(api, package);
    if (!database.IsOpen()) return;
    for (size_t i = 0; i + 2 < triplets.size(); i += 3) {
        const std::string &old = triplets[i], &renamed = triplets[i + 1], &description = triplets[i + 2];
        // The description first, while the old ProgId still names the row.
        database.Run(kUpdateProgIdDescription, {description, old});
        // The extensions and ProgIds that name it follow a rename, or they
        // would name a ProgId that no longer exists.
        if (database.Run(kRenameProgId, {renamed, old})) {
            database.Run(kRenameExtensionProgId, {renamed, old});
            database.Run(kRenameParentProgId, {renamed, old});
        }
    }
    database.Commit();
}

std::string InstalledProductVersion(const std::string& productCode) {
    std::string version;
    if (Msi().GetProductInfo(productCode, "VersionString", version) != kMsiSuccess) return {};
    return version;
}

bool IsInstalledPackage(const std::string& productCode, const std::string& packageCode) {
    std::string installed;
    if (Msi().GetProductInfo(productCode, "PackageCode", installed) != kMsiSuccess) return false;
    return SameText(installed, packageCode);
}
