// "Install Service" and "Control Service": ServiceInstall and ServiceControl rows.
#include <string>

#include "system/TextUtils.h"
#include "tools/authoring/BlockFileRows.h"
#include "tools/authoring/RecordingKinds.h"

namespace {

// ServiceControl events: start, stop and remove, when the component is
// installed and when it is removed.
enum : int { kStart = 1, kStop = 2, kRemove = 8, kUninstallShift = 4 };

// A list of "start", "stop" and "remove" separated by commas or blanks.
int Events(const RecordingCommand& c, size_t k) {
    int events = 0;
    std::string word;
    const std::string text = LowerAscii(c.at(k)) + ",";
    for (char ch : text) {
        if (ch != ',' && ch != ' ') {
            word += ch;
            continue;
        }
        if (word.empty()) continue;
        if (word == "start") events |= kStart;
        else if (word == "stop") events |= kStop;
        else if (word == "remove") events |= kRemove;
        else throw ParameterError(k, "'" + word + "' is not one of start, stop, remove");
        word.clear();
    }
    return events;
}

struct ServiceCodes {
    int type, start, errorControl, events;
};

ServiceCodes InstallServiceCodes(const Project& project, const RecordingCommand& c) {
    ProjectFile(project, c, 1);
    if (c.at(4).empty()) throw ParameterError(4, "the service name is empty");
    ServiceCodes codes{};
    codes.type = Choice(c, 3, {{"own", 0x10}, {"shared", 0x20}, {"own-interactive", 0x110}, {"shared-interactive", 0x120}});
    codes.start = Choice(c, 7, {{"auto", 2}, {"demand", 3}, {"disabled", 4}});
    codes.errorControl = Choice(c, 8, {{"normal", 1}, {"ignore", 0}, {"critical", 3}});
    codes.events = Events(c, 11) | (Events(c, 12) << kUninstallShift);
    return codes;
}

void AddServiceControl(const RecordingCommand& c, PackageRows& rows, const std::string& name,
                       const std::string& arguments, int events, bool wait) {
    if (events == 0) return;
    rows.Sequence("StopServices", 1900);
    rows.Sequence("DeleteServices", 2000);
    rows.Sequence("StartServices", 5900);
    rows.Statement("INSERT INTO `ServiceControl` (`ServiceControl`, `Name`, `Event`, `Arguments`, `Wait`, `Component_`) "
                   "VALUES ('V" + c.header + "', '" + name + "', " + std::to_string(events) + ", '" + arguments + "', " +
                   (wait ? "1" : "0") + ", 'C" + c.header + "')");
}

}  // namespace

void CheckInstallService(const Project& project, const RecordingCommand& c) { InstallServiceCodes(project, c); }

// The service's program is the component's key file, installed into the
// folder P<H>_1; the service runs it with the recorded arguments.
void AuthorInstallService(const RecordingCommand& c, PackageRows& rows) {
    const ServiceCodes codes = InstallServiceCodes(rows.project(), c);
    AuthorCommandFiles(c, rows);
    rows.Sequence("InstallServices", 5800);
    rows.Statement("INSERT INTO `ServiceInstall` (`ServiceInstall`, `Name`, `DisplayName`, `ServiceType`, `StartType`, "
                   "`ErrorControl`, `LoadOrderGroup`, `Dependencies`, `StartName`, `Password`, `Arguments`, "
                   "`Component_`, `Description`) VALUES ('S" + c.header + "', '[" + Property(c, 2) + "]', '[" +
                   Property(c, 3) + "]', " + std::to_string(codes.type) + ", " + std::to_string(codes.start) + ", " +
                   std::to_string(codes.errorControl) + ", '[" + Property(c, 8) + "]', '[" + Property(c, 7) + "]', '[" +
                   Property(c, 4) + "]', '[" + Property(c, 5) + "]', '[" + Property(c, 6) + "]', 'C" + c.header +
                   "', '[" + Property(c, 9) + "]')");
    AddServiceControl(c, rows, "[" + Property(c, 2) + "]", "[" + Property(c, 6) + "]", codes.events, true);
}

void CheckControlService(const Project&, const RecordingCommand& c) {
    if (c.at(1).empty()) throw ParameterError(1, "the service name is empty");
    if ((Events(c, 3) | Events(c, 4)) == 0) throw ParameterError(3, "and p4 ask for nothing (start, stop, remove)");
    Flag(c, 5);
}

void AuthorControlService(const RecordingCommand& c, PackageRows& rows) {
    CheckControlService(rows.project(), c);
    rows.Body() << rows.Component(c, "C" + c.header, "");
    AddServiceControl(c, rows, "[" + Property(c, 1) + "]", "[" + Property(c, 2) + "]",
                      Events(c, 3) | (Events(c, 4) << kUninstallShift), Flag(c, 5));
}
