#include "system/HostPluginLibraries.h"

std::map<std::string, HostPluginEntry>& HostPluginLibraries() {
    static std::map<std::string, HostPluginEntry> libraries;
    return libraries;
}

std::optional<std::string> CallRunTimeExecute(const PluginCall& call) {
    const auto found = HostPluginLibraries().find(call.libraryPath);
    if (found == HostPluginLibraries().end()) return std::nullopt;
    return found->second(call);
}
