#pragma once
#include <string>
#include <vector>

// The installation language and the project's translations. The support
// folder holds three line-aligned files: "translations.Map" (the context of
// each entry, empty for command texts), the key file title + ".mtx" (a
// command id followed by one line per further text of that command, or a
// dialog text's key) and "translations." + language (the translated texts);
// "shared.translations." + language may hold the engine's messages in that
// language. The current language is mirrored in the variable LANGUAGE.

// Whether a language is current.
bool TranslationActive();

// Session start: decides the language, showing the language dialog where the
// project asks for it (never in a silent run, which takes the language the
// dialog would preselect). False when the user cancels the dialog.
bool ChooseInstallationLanguage(const std::string& msiPath);
// Before every command: takes the language from LANGUAGE and loads its files;
// a language without its files turns translation off.
void RefreshTranslations();

// The translation of slot (1 for a command's first translatable text) of the
// command, or the fallback when no language is current or the command has
// no entry.
std::string TranslateCommandText(const std::string& commandId, int slot, const std::string& fallback);
// The translation of a dialog text by its context and key, or the fallback.
std::string TranslateDialogText(const std::string& context, const std::string& key, const std::string& fallback);

// The languages offered by the file names of a support folder (in the order
// listed): the extension of every "translations.*" file but the map and the
// shared message files.
std::vector<std::string> OfferedLanguages(const std::vector<std::string>& fileNames);
// The language the dialog preselects: the first offered language equal to
// the user's, else the default language when offered, else the first.
size_t PreselectedLanguage(const std::vector<std::string>& offered, const std::string& defaultLanguage,
                           const std::string& userLanguage);
