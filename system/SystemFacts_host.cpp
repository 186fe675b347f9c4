#include "system/HostSystemFacts.h"

HostSystemFacts& HostSystemFactsState() {
    static HostSystemFacts facts;
    return facts;
}

OsVersion ReadOsVersion() { return HostSystemFactsState().version; }
uint64_t TotalPhysicalMemory() { return HostSystemFactsState().memory; }
ScreenFacts ReadScreen() { return HostSystemFactsState().screen; }
bool TokenHasAlias(BuiltinAlias alias) { return HostSystemFactsState().aliases.count(alias) > 0; }
AccountOfToken TokenAccount() { return HostSystemFactsState().account; }
std::string LoggedOnUserName() { return HostSystemFactsState().loggedOnUser; }
std::string ComputerName() { return HostSystemFactsState().computer; }

std::optional<uint16_t> FirstFileLanguage(const std::string& path) {
    const auto& languages = HostSystemFactsState().fileLanguages;
    const auto found = languages.find(path);
    if (found == languages.end()) return std::nullopt;
    return found->second;
}

std::string LanguageName(uint16_t language) {
    const auto& names = HostSystemFactsState().languageNames;
    const auto found = names.find(language);
    return found == names.end() ? std::string() : found->second;
}
