#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The language dialog of session start: the languages in a drop-down list,
// each under its own name (NativeLanguageName),
// OK and Cancel, centred on the screen. The index of the chosen language, or
// nullopt when the user cancels.
std::optional<size_t> AskInstallationLanguage(const std::vector<std::string>& languages, size_t preselected);
