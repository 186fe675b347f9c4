#pragma once
#include <optional>
#include <string>
#include <vector>

// Host side of the language dialog: what was offered, and the answer tests set.
struct HostLanguageDialog {
    int shown = 0;
    std::vector<std::string> languages;
    size_t preselected = 0;
    std::optional<size_t> answer;  // nullopt: the preselected language; see cancel
    bool cancel = false;
};

HostLanguageDialog& HostLanguageDialogState();
