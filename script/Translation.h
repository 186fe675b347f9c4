#pragma once
#include <string>

// Translations of command texts for the active installation language, keyed
// by command id and slot (1, 2 or 3). A language is active while the
// variable LANGUAGE is not empty.
bool TranslationActive();
// The translation stored for the command's slot, or the fallback.
std::string TranslateCommandText(const std::string& commandId, int slot, const std::string& fallback);
void SetCommandTranslation(const std::string& commandId, int slot, const std::string& text);
void ClearCommandTranslations();
