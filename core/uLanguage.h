#pragma once
#include <string>

// The installation languages the engine knows, by name and locale identifier.

// The decimal locale identifier of the language named (ignoring letter
// case); "1033" (English) for an unknown name.
std::string LanguageToLcid(const std::string& name);
// The language name of a locale identifier; empty when unknown.
std::string LcidToLanguage(int lcid);
