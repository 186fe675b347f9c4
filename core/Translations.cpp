#include "core/Translations.h"

#include <mutex>
#include <optional>
#include <vector>

#include "core/EngineMessages.h"
#include "core/ScriptError.h"
#include "core/StartupValues.h"
#include "system/Files.h"
#include "system/TextUtils.h"

namespace {

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

std::optional<std::vector<std::string>> ReadList(const std::string& path) {
    const auto text = ReadFileText(path);
    if (!text) return std::nullopt;
    return SplitLines(*text);
}

// Loads the files of a language; false when one of the three is missing.
bool Load(TranslationFiles& files, const std::string& language) {
    auto contexts = ReadList(SupportFile("translations.Map"));
    auto texts = ReadList(SupportFile(kPrefix + language));
    auto keys = ReadList(TranslationKeyFile());
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

std::string TranslationKeyFile() { return SupportFile(Project().Title + ".mtx"); }

std::string UseTranslationLanguage(const std::string& language) {
    auto& files = Files();
    std::lock_guard guard(files.lock);
    if (!SameText(language, files.language) || language.empty())
        files.language = !language.empty() && Load(files, language) ? language : std::string();
    return files.language;
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
