#pragma once
#include <map>
#include <string>

#include "tools/authoring/ProjectSource.h"

// The translations of a project. Its translations folder holds, per
// language, "<Language>.txt": pairs of lines
//     msgid "text as written in the script"
//     msgstr "its translation"
// (\" and \\ escaped; "#" starts a comment line), and optionally
// "<Language>.messages": the engine's own 90 texts, one per line. German
// engine texts are built in.
struct ProjectTranslations {
    // Support archive files by name: the map, the key file, the texts of
    // every language and the engine message files of the other languages.
    std::map<std::string, std::string> supportFiles;
    // The default language's engine message file, for keb.dll; empty when
    // the engine's built-in English serves.
    std::string defaultMessages;
};

// Empty when the project has no translations folder.
ProjectTranslations AuthorTranslations(const Project& project);

// Windows-1252 text of UTF-8 (the engine's code page); characters it lacks
// become "?".
std::string Windows1252FromUtf8(const std::string& text);
