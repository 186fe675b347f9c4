#include "script/Translation.h"

#include <map>
#include <mutex>
#include <utility>

#include "script/VariableStore.h"

namespace {
struct Translations {
    std::mutex mutex;
    std::map<std::pair<std::string, int>, std::string> texts;
};
Translations& TheTranslations() {
    static Translations translations;
    return translations;
}
}  // namespace

bool TranslationActive() {
    auto lock = LockVariableStore();
    return VariableExists("LANGUAGE") && !GetVariable("LANGUAGE").empty();
}

std::string TranslateCommandText(const std::string& commandId, int slot, const std::string& fallback) {
    auto& t = TheTranslations();
    std::lock_guard lock(t.mutex);
    auto it = t.texts.find({commandId, slot});
    return it == t.texts.end() ? fallback : it->second;
}

void SetCommandTranslation(const std::string& commandId, int slot, const std::string& text) {
    auto& t = TheTranslations();
    std::lock_guard lock(t.mutex);
    t.texts[{commandId, slot}] = text;
}

void ClearCommandTranslations() {
    auto& t = TheTranslations();
    std::lock_guard lock(t.mutex);
    t.texts.clear();
}
