#include "script/Translation.h"

#include <algorithm>

#include "core/StartupValues.h"
#include "core/uLanguage.h"
#include "dialogs/LanguageDialog.h"
#include "script/InstanceState.h"
#include "core/VariableStore.h"
#include "system/Files.h"
#include "system/TextUtils.h"
#include "system/UserLocale.h"

namespace {

constexpr const char* kInitialization = "Initialization";
constexpr const char* kPrefix = "translations.";

}  // namespace

std::vector<std::string> OfferedLanguages(const std::vector<std::string>& fileNames) {
    std::vector<std::string> offered;
    for (const std::string& name : fileNames) {
        // The name alone decides: a support folder below a path that holds
        // "shared" must not lose its languages.
        if (!SameText(name.substr(0, std::string(kPrefix).size()), kPrefix) || SameText(name, "translations.Map") ||
            name.find("shared") != std::string::npos)
            continue;
        offered.push_back(name.substr(name.find_last_of('.') + 1));
    }
    return offered;
}

size_t PreselectedLanguage(const std::vector<std::string>& offered, const std::string& defaultLanguage,
                           const std::string& userLanguage) {
    size_t preselected = 0;
    for (size_t i = 0; i < offered.size(); ++i) {
        if (SameLanguage(offered[i], userLanguage)) return i;
        if (SameText(offered[i], defaultLanguage) && !SameText(offered[preselected], defaultLanguage)) preselected = i;
    }
    return preselected;
}

bool ChooseInstallationLanguage(const std::string& msiPath) {
    SetVariable("LANGUAGE", "", kInitialization);
    if (!FileExists(TranslationKeyFile())) return true;
    const std::vector<std::string> offered = OfferedLanguages(FileNamesStartingWith(Startup().supportFolder, kPrefix));
    if (offered.empty()) return true;
    const std::string& defaultLanguage = Project().DefaultLanguage;
    std::string language;
    for (const std::string& name : offered)
        if (SameText(name, defaultLanguage)) language = defaultLanguage;

    // A language on the command line is the caller's choice: no dialog asks again.
    const auto& overrides = Startup().overrides;
    const bool chosenByCaller = std::any_of(overrides.begin(), overrides.end(),
                                            [](const auto& pair) { return SameText(pair.first, "LANGUAGE"); });
    const bool maintenance = TextToBool(GetVariable("MAINTENANCE"));
    if (Project().ShowLanguageDialog && !maintenance && !chosenByCaller) {
        const size_t preselected = PreselectedLanguage(offered, defaultLanguage, LcidToLanguage(UserLanguageId()));
        if (Startup().silent) {
            language = offered[preselected];
        } else {
            const auto chosen = AskInstallationLanguage(offered, preselected);
            if (!chosen) return false;
            language = offered[*chosen];
        }
    }
    if (maintenance) {
        const auto saved = ReadFileText(FindInstanceFolder(msiPath) + InstanceName(msiPath) + ".lan");
        if (saved && !SplitLines(*saved).empty()) language = SplitLines(*saved).front();
    }
    SetVariable("LANGUAGE", language, kInitialization);
    return true;
}

void RefreshTranslations() {
    const std::string wanted = VariableExists("LANGUAGE") ? GetVariable("LANGUAGE") : std::string();
    const std::string language = UseTranslationLanguage(wanted);
    if (VariableExists("LANGUAGE") && GetVariable("LANGUAGE") != language)
        SetVariable("LANGUAGE", language, kInitialization);
}
