#pragma once
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "installer/uMSIAPI.h"

// A scripted Windows Installer for host tests. It keeps one package in
// memory (Property table, component ids, package code), understands the
// statements the engine runs against it, plays a list of user-interface
// messages to the installed handler during an installation and records every
// call that matters. Every handle it gives out must come back through
// CloseHandle.
class FakeMsiApi final : public MsiApi {
public:
    // --- the package ---
    std::map<std::string, std::string> properties;
    std::vector<std::string> componentIds;
    std::string packageCode;

    // --- the machine ---
    int productState = -1;  // INSTALLSTATE_UNKNOWN
    std::map<std::string, std::string> productInfo;

    // --- what a run does ---
    unsigned installResult = 0;
    unsigned openDatabaseResult = 0;  // what opening a package for editing returns
    std::vector<std::pair<unsigned, std::string>> messages;  // played during install, patch or removal
    std::vector<int> answers;                                // what the handler answered
    std::function<void()> beforeProductState;                // runs when the product state is asked
    std::function<void()> duringInstall;                     // runs before the messages
    bool rebootAtEnd = false;

    // --- what was asked ---
    std::vector<std::string> calls;  // function names in call order
    std::string commandLine;
    std::map<std::string, std::string> sessionProperties;
    std::vector<std::pair<std::string, std::string>> addedSources;  // (user, source)
    std::string logFile;
    unsigned logMode = 0, logAttributes = 0;
    int internalUiLevel = -1;
    unsigned messageFilter = 0;

    std::set<MsiHandle> open;

    int QueryProductState(const std::string&) override {
        calls.push_back("MsiQueryProductStateA");
        if (beforeProductState) beforeProductState();
        return productState;
    }
    unsigned GetProductInfo(const std::string& product, const std::string& property, std::string& value) override {
        auto found = productInfo.find(product + "/" + property);
        if (found == productInfo.end()) return 1605;  // ERROR_UNKNOWN_PRODUCT
        value = found->second;
        return 0;
    }
    unsigned EnableLog(unsigned mode, const std::string& file, unsigned attributes) override {
        calls.push_back("MsiEnableLogA");
        logMode = mode, logFile = file, logAttributes = attributes;
        return 0;
    }
    int SetInternalUI(int level) override {
        internalUiLevel = level;
        return 0;
    }
    void SetExternalUI(InstallerMessageSink* handler, unsigned filter) override {
        sink = handler, messageFilter = filter;
    }
    unsigned InstallProduct(const std::string&, const std::string& line) override {
        calls.push_back("MsiInstallProductA");
        commandLine = line;
        return Play();
    }
    unsigned ApplyPatch(const std::string&, const std::string& line) override {
        calls.push_back("MsiApplyPatchA");
        commandLine = line;
        return Play();
    }
    unsigned SourceListAddSource(const std::string&, const std::string& user, const std::string& source) override {
        addedSources.emplace_back(user, source);
        return 0;
    }
    unsigned OpenPackage(const std::string&, MsiHandle& session) override {
        calls.push_back("MsiOpenPackageA");
        session = NewHandle();
        return 0;
    }
    unsigned SetProperty(MsiHandle, const std::string& name, const std::string& value) override {
        sessionProperties[name] = value;
        return 0;
    }
    unsigned DoAction(MsiHandle, const std::string& action) override {
        calls.push_back("MsiDoActionA " + action);
        return Play();
    }
    bool GetMode(MsiHandle, int mode) override { return rebootAtEnd && mode == kMsiRunModeRebootAtEnd; }

    unsigned OpenDatabase(const std::string&, int persist, MsiHandle& database) override {
        if (persist != kMsiOpenDirect) return 87;
        if (openDatabaseResult) return openDatabaseResult;
        database = NewHandle();
        return 0;
    }
    unsigned OpenView(MsiHandle, const std::string& query, MsiHandle& view) override {
        view = NewHandle();
        views[view] = {query, 0};
        return 0;
    }
    unsigned ViewExecute(MsiHandle view, MsiHandle record) override {
        const std::string& query = views[view].query;
        std::vector<std::string> p = record ? records[record] : std::vector<std::string>{};
        statements.push_back(query);
        if (failingStatements.count(query)) return 1627;  // ERROR_FUNCTION_FAILED
        if (query == "INSERT INTO `Property` ( `Property` , `Value` ) VALUES ( ? , ? )") {
            if (properties.count(p.at(0))) return 1627;  // ERROR_FUNCTION_FAILED
            properties[p.at(0)] = p.at(1);
        } else if (query == "UPDATE `Property` SET `Value`=? WHERE `Property`=?") {
            if (properties.count(p.at(1))) properties[p.at(1)] = p.at(0);
        }
        return 0;
    }
    unsigned ViewFetch(MsiHandle view, MsiHandle& record) override {
        size_t& next = views[view].next;
        if (next >= componentIds.size()) return kMsiNoMoreItems;
        record = NewHandle();
        records[record] = {componentIds[next]};
        rowOfRecord[record] = next++;
        return 0;
    }
    unsigned ViewModify(MsiHandle, int mode, MsiHandle record) override {
        if (mode == kMsiModifyUpdate) componentIds[rowOfRecord.at(record)] = records[record].at(0);
        return 0;
    }
    unsigned ViewClose(MsiHandle) override { return 0; }
    MsiHandle CreateRecord(unsigned fields) override {
        MsiHandle record = NewHandle();
        records[record].resize(fields);
        return record;
    }
    unsigned RecordSetString(MsiHandle record, unsigned field, const std::string& value) override {
        auto& fields = records[record];
        if (field == 0 || field > fields.size()) return 1627;
        fields[field - 1] = value;
        return 0;
    }
    unsigned DatabaseCommit(MsiHandle) override {
        ++commits;
        return 0;
    }
    unsigned GetSummaryInformation(MsiHandle, unsigned, MsiHandle& summary) override {
        summary = NewHandle();
        return 0;
    }
    unsigned SummaryInfoSetText(MsiHandle, unsigned property, const std::string& value) override {
        if (property == 9) pendingPackageCode = value;
        return 0;
    }
    unsigned SummaryInfoPersist(MsiHandle) override {
        packageCode = pendingPackageCode;
        return 0;
    }
    unsigned CloseHandle(MsiHandle handle) override { return open.erase(handle) ? 0 : 6; }

    std::vector<std::string> statements;
    std::set<std::string> failingStatements;  // executed, then reported as failed
    int commits = 0;

private:
    struct View {
        std::string query;
        size_t next;
    };

    MsiHandle NewHandle() {
        open.insert(++lastHandle);
        return lastHandle;
    }

    unsigned Play() {
        if (duringInstall) duringInstall();
        for (const auto& [type, text] : messages) answers.push_back(sink ? sink->OnInstallerMessage(type, text) : 0);
        return installResult;
    }

    InstallerMessageSink* sink = nullptr;
    MsiHandle lastHandle = 0;
    std::map<MsiHandle, View> views;
    std::map<MsiHandle, std::vector<std::string>> records;
    std::map<MsiHandle, size_t> rowOfRecord;
    std::string pendingPackageCode;
};

// Puts the fake in place of msi.dll for one test.
class ScopedFakeMsi {
public:
    ScopedFakeMsi() { UseMsiApi(&fake); }
    ~ScopedFakeMsi() { UseMsiApi(nullptr); }
    FakeMsiApi fake;
};
