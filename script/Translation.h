#pragma once
#include <string>
#include <vector>

#include "core/Translations.h"

// The installation language: chosen at session start, mirrored in the
// variable LANGUAGE, whose files core/Translations.h looks texts up in.

// Session start: decides the language, showing the language dialog where the
// project asks for it (never in a silent run, which takes the language the
// dialog would preselect, nor when LANGUAGE=<name> is on the command line,
// whose override then sets it). False when the user cancels the dialog.
bool ChooseInstallationLanguage(const std::string& msiPath);
// Before every command: takes the language from LANGUAGE and loads its files;
// a language without its files turns translation off.
void RefreshTranslations();

// The languages offered by the file names of a support folder (in the order
// listed): the extension of every "translations.*" file but the map and the
// shared message files.
std::vector<std::string> OfferedLanguages(const std::vector<std::string>& fileNames);
// The language the dialog preselects: the first offered language that is
// the user's (SameLanguage), else the default language when offered, else the first.
size_t PreselectedLanguage(const std::vector<std::string>& offered, const std::string& defaultLanguage,
                           const std::string& userLanguage);
