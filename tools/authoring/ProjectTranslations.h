#pragma once
#include <map>
#include <string>
#include <vector>

#include "tools/authoring/ProjectSource.h"

// The translations of a project. Its translations folder holds, per
// language, "<Language>.txt": pairs of lines
//     msgid "text as written in the script"
//     msgstr "its translation"
// (\" and \\ escaped; "#" starts a comment line), and optionally
// "<Language>.messages": the engine's own 90 texts, one per line. orvanta
// ships the engine texts of the languages in tools/authoring/messages.
// Everything is UTF-8 (or plain ASCII) and goes to the engine in the
// language's code page (AnsiText.h); so do the support folder's licence and
// readme files (license.txt, readme.<Language>.txt, ...).
struct ProjectTranslations {
    // Support archive files by name: the map, the key file, the texts of
    // every language, the engine message files of the other languages and
    // the licence and readme files in their code pages.
    std::map<std::string, std::string> supportFiles;
    // The default language's engine message file, for keb.dll; empty when
    // the engine's built-in English serves.
    std::string defaultMessages;
    // "file:line: warning: text" of a msgid that matches no text of the project.
    std::vector<std::string> warnings;
};

// Throws std::runtime_error "file:line: text" for what cannot be built.
ProjectTranslations AuthorTranslations(const Project& project);

// The project's command and form texts that the language's file does not
// translate (names and keywords such as TRUE left out), each with its place: "project.orv:12: "text"" or
// "support/welcome.dfm: Heading: "text"".
std::vector<std::string> MissingTranslations(const Project& project, const std::string& language);

// Windows-1252 text of UTF-8 (the code page texts as written are compared
// in); characters it lacks become "?".
std::string Windows1252FromUtf8(const std::string& text);
