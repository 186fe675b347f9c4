#include "script/Translation.h"

#include <mutex>

#include "bootstrap/EngineMessages.h"
#include "bootstrap/StartupValues.h"
#include "bootstrap/uLanguage.h"
#include "dialogs/LanguageDialog.h"
#include "script/InstanceState.h"
#include "script/ScriptError.h"
#include "script/VariableStore.h"
#include "system/Files.h"
#include "system/TextUtils.h"
#include "system/UserLocale.h"

namespace {

constexpr const char* kInitialization = "Initialization";
constexpr const char* kPrefix = "translations.";

// The loaded files of the current language; reloaded when the language changes.
struct TranslationFiles {
    std::mutex lock;
    std::string language;  // empty: no translation
    std::vector<std::string> contexts, keys, texts;
};

TranslationFiles& Files() {
    static TranslationFiles files;
    return files;
}

std::string SupportFile(const std::string& name) { return Startup().supportFolder + name; }
std::string KeyFile() { return SupportFile(Project().Title + ".mtx"); }

std::optional<std::vector<std::string>> ReadList(const std::string& path) {
    const auto text = ReadFileText(path);
    if (!text) return std::nullopt;
    return SplitLines(*text);
}

// Loads the files of a language; false when one of the three is missing.
bool Load(TranslationFiles& files, const std::string& language) {
    auto contexts = ReadList(SupportFile("translations.Map"));
    auto texts = ReadList(SupportFile(kPrefix + language));
    auto keys = ReadList(KeyFile());
    if (!contexts || !texts || !keys) return false;
    files.contexts = std::move(*contexts);
    files.texts = std::move(*texts);
    files.keys = std::move(*keys);
    const std::string messages = SupportFile(std::string("shared.") + kPrefix + language);
    if (const auto text = ReadFileText(messages)) LoadMessageText(*text);
    return true;
}

const std::string& Line(const std::vector<std::string>& lines, size_t index) {
    static const std::string empty;
    return index < lines.size() ? lines[index] : empty;
}

}  // namespace

bool TranslationActive() {
    auto& files = Files();
    std::lock_guard guard(files.lock);
    return !files.language.empty();
}

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
        if (SameText(offered[i], userLanguage)) return i;
        if (SameText(offered[i], defaultLanguage) && !SameText(offered[preselected], defaultLanguage)) preselected = i;
    }
    return preselected;
}

bool ChooseInstallationLanguage(const std::string& msiPath) {
    SetVariable("LANGUAGE", "", kInitialization);
    if (!FileExists(KeyFile())) return true;
    const std::vector<std::string> offered = OfferedLanguages(FileNamesStartingWith(Startup().supportFolder, kPrefix));
    if (offered.empty()) return true;
    const std::string& defaultLanguage = Project().DefaultLanguage;
    std::string language;
    for (const std::string& name : offered)
        if (SameText(name, defaultLanguage)) language = defaultLanguage;

    const bool maintenance = TextToBool(GetVariable("MAINTENANCE"));
    if (Project().ShowLanguageDialog && !maintenance) {
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
    std::string language = VariableExists("LANGUAGE") ? GetVariable("LANGUAGE") : std::string();
    auto& files = Files();
    {
        std::lock_guard guard(files.lock);
        if (!SameText(language, files.language) || language.empty()) {
            if (!language.empty() && !Load(files, language)) language.clear();
            files.language = language;
        }
    }
    if (VariableExists("LANGUAGE") && GetVariable("LANGUAGE") != language)
        SetVariable("LANGUAGE", language, kInitialization);
}

std::string TranslateCommandText(const std::string& commandId, int slot, const std::string& fallback) {
    auto& files = Files();
    std::lock_guard guard(files.lock);
    if (files.language.empty()) return fallback;
    for (size_t k = 0; k < files.keys.size(); ++k) {
        if (!SameText(files.keys[k], commandId)) continue;
        const size_t line = k + static_cast<size_t>(slot) - 1;
        if (line >= files.texts.size()) throw ScriptError("List index out of bounds (" + std::to_string(line) + ")");
        return files.texts[line];
    }
    return fallback;
}

std::string TranslateDialogText(const std::string& context, const std::string& key, const std::string& fallback) {
    auto& files = Files();
    std::lock_guard guard(files.lock);
    if (files.language.empty()) return fallback;
    for (size_t i = 0; i < files.keys.size(); ++i)
        if (SameText(Line(files.contexts, i), context) && SameText(files.keys[i], key)) return Line(files.texts, i);
    return fallback;
}
