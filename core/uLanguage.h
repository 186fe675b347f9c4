#pragma once
// uLanguage: the installation languages the engine knows, by name and locale
// identifier.
#include <string>

// The decimal locale identifier of the language named (ignoring letter
// case); "1033" (English) for an unknown name.
std::string LanguageToLcid(const std::string& name);
// The language name of a locale identifier; empty when unknown.
std::string LcidToLanguage(int lcid);
// The locale identifier of the language named (ignoring letter case); 0 for
// an unknown name. Both spellings of the Portuguese names are known.
int LanguageLcid(const std::string& name);
// True when the names are one language: equal ignoring case, or known
// names of the same locale identifier.
bool SameLanguage(const std::string& a, const std::string& b);
// The language's name in itself, in UTF-8 ("Deutsch", "Fran\u00e7ais"); the
// name as given when the table lacks it.
std::string NativeLanguageName(const std::string& name);
