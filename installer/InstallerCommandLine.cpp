#include "installer/InstallerCommandLine.h"

#include <algorithm>

#include "system/TextUtils.h"

namespace {
// Length of the drive ("C:") or network share ("\\server\share") a path starts with.
size_t DrivePartLength(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return 2;
    if (!StartsWith(path, "\\\\")) return 0;
    size_t server = path.find('\\', 2);
    if (server == std::string::npos) return path.size();
    size_t share = path.find('\\', server + 1);
    return share == std::string::npos ? path.size() : share;
}

std::string Argument(const std::string& name, const std::string& value) { return name + "=" + value + " "; }
}  // namespace

std::string MediaPathOf(const std::string& dataFolder) {
    std::string folder = dataFolder;
    if (EndsWith(folder, "\\")) folder.pop_back();
    size_t lastSeparator = folder.rfind('\\');
    std::string parent = lastSeparator == std::string::npos ? std::string() : folder.substr(0, lastSeparator + 1);
    return parent.substr(std::min(DrivePartLength(parent), parent.size()));
}

// A path with a blank is quoted whatever the caller knows of it: a folder
// that does not exist (yet) has no short form to stand in for it.
std::string QuotedIf(const std::string& text, bool quote) {
    return quote || text.find(' ') != std::string::npos ? "\"" + text + "\"" : text;
}

std::string SourceListOf(const InstallerSources& sources) {
    return QuotedIf(sources.dataFolder + ";" + sources.packageFolder, sources.quoteData || sources.quotePackage);
}

std::string AllUsersArgument(bool allUsers) { return allUsers ? "ALLUSERS=1 " : "ALLUSERS=\"\" "; }

std::string InstallCommandLine(const InstallerSources& sources, bool allUsers, bool installed, bool advertise) {
    std::string mode = installed   ? "REINSTALL=ALL REINSTALLMODE=vomus "
                       : advertise ? "ADVERTISE=ALL "
                                   : "ADDLOCAL=ALL ";
    return mode + AllUsersArgument(allUsers) + "ARPSYSTEMCOMPONENT=1 ARPNOREMOVE=1 ARPNOMODIFY=1 ARPNOREPAIR=1 " +
           Argument("SRCDIR", QuotedIf(sources.dataFolder, sources.quoteData)) +
           Argument("SOURCELIST", sources.sourceList) +
           Argument("MEDIAPACKAGEPATH", QuotedIf(sources.mediaPath, sources.quoteData)) + "REBOOT=R ";
}

std::string PatchCommandLine(const std::string& patchSource, bool quoteData, bool allUsers) {
    std::string source = QuotedIf(patchSource, quoteData);
    return "ADDLOCAL=ALL " + AllUsersArgument(allUsers) + Argument("SRCDIR", source) + Argument("SRCDIREX", source);
}

// A session property is a value, not a command line: quotes would become
// part of the folder, so the folders go in as they are.
std::vector<std::pair<std::string, std::string>> RemoveProperties(const InstallerSources& sources, bool allUsers) {
    return {
        {"ALLUSERS", allUsers ? "1" : ""},
        {"REMOVE", "ALL"},
        {"SRCDIR", sources.dataFolder},
        {"SOURCELIST", sources.dataFolder + ";" + sources.packageFolder},
        {"MEDIAPACKAGEPATH", sources.mediaPath},
        {"REBOOT", "R"},
    };
}
