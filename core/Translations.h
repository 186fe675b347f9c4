#pragma once
#include <string>

// The lookup half of the project's translations: the loaded files of the
// current language. The support folder holds three line-aligned files:
// "translations.Map" (the context of each entry, empty for command texts),
// the key file title + ".mtx" (a command id followed by one line per further
// text of that command, or a dialog text's key) and "translations." +
// language (the translated texts); "shared.translations." + language may hold
// the engine's messages in that language. Which language is current is the
// session's choice (script/Translation.h).

// Whether a language is current.
bool TranslationActive();

// The key file of the support folder.
std::string TranslationKeyFile();

// Makes the language current, loading its files when it is not current yet;
// a language without its files, or the empty text, turns translation off.
// Returns the language now current.
std::string UseTranslationLanguage(const std::string& language);

// The translation of slot (1 for a command's first translatable text) of the
// command, or the fallback when no language is current or the command has
// no entry.
std::string TranslateCommandText(const std::string& commandId, int slot, const std::string& fallback);
// The translation of a dialog text by its context and key, or the fallback.
std::string TranslateDialogText(const std::string& context, const std::string& key, const std::string& fallback);
