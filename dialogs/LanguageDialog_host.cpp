#include "dialogs/HostLanguageDialog.h"
#include "dialogs/LanguageDialog.h"

HostLanguageDialog& HostLanguageDialogState() {
    static HostLanguageDialog state;
    return state;
}

std::optional<size_t> AskInstallationLanguage(const std::vector<std::string>& languages, size_t preselected) {
    HostLanguageDialog& state = HostLanguageDialogState();
    ++state.shown;
    state.languages = languages;
    state.preselected = preselected;
    if (state.cancel) return std::nullopt;
    return state.answer.value_or(preselected);
}
