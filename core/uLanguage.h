#pragma once
// uLanguage: the installation languages the engine knows, by name and locale
// identifier.
#include <string>

// The decimal locale identifier of the language named (ignoring letter
// case); "1033" (English) for an unknown name.
std::string LanguageToLcid(const std::string& name);
// The language name of a locale identifier; empty when unknown.
std::string LcidToLanguage(int lcid);
