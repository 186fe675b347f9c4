#pragma once
#include <string>
#include <vector>

// Edits of the working copy of the product's installer package before the
// installer runs: the pending installer properties, a new identity for a new
// product instance, and translated shortcut and file type texts. Names and
// values are bound as record parameters, so any text (a single quote
// included) is stored as it is. Errors of single statements are ignored; the
// library-binding errors of msi.dll propagate.

// Queues a property for the next WritePendingProperties. The value is kept
// with its line breaks as "$NEWLINE$" and written back with CR LF.
void SetInstallerProperty(const std::string& name, const std::string& value);

struct PendingProperty {
    std::string name;
    std::string value;  // line breaks as "$NEWLINE$"
};
std::vector<PendingProperty> PendingInstallerProperties();

// The script's request to install a new instance of the product: the next
// write gives the package new component ids, this package code (summary
// property 9) and this ProductCode. Both codes are upper-case GUID texts in braces.
struct NewInstanceRequest {
    bool requested = false;
    std::string productCode;
    std::string packageCode;
};
void RequestNewInstance(const std::string& productCode, const std::string& packageCode);
void ClearNewInstanceRequest();
NewInstanceRequest CurrentNewInstanceRequest();

// Writes and then discards the pending properties (after a new-instance
// request, renewing the component ids and the package identity first).
// Throws std::runtime_error, keeping them pending, when the package cannot
// be opened or changed.
void WritePendingProperties(const std::string& package);
// Gives every row of the Component table a fresh upper-case GUID.
void RenewComponentIds(const std::string& package);
// The last package whose identity was changed; empty when none.
std::string ReidentifiedPackage();

// Flat lists of triplets. Shortcuts: (directory key, name, description).
// File types: (ProgId, new ProgId, description).
void TranslateShortcuts(const std::string& package, const std::vector<std::string>& triplets);
void TranslateProgIds(const std::string& package, const std::vector<std::string>& triplets);

// The installed product's version text (its ProductVersion); empty when the
// installer does not know it.
std::string InstalledProductVersion(const std::string& productCode);

// True when the installed product's package code equals packageCode (ignoring case).
bool IsInstalledPackage(const std::string& productCode, const std::string& packageCode);
