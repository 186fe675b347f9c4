#pragma once
#include <stdexcept>
#include <string>

// The engine shows texts in the Windows ANSI code page of their language;
// authors write them in UTF-8.

// The code page of a language the engine knows by name: 1250 for the Central
// European languages, 1251 Cyrillic, 1253 Greek and so on; 1252 for the
// Western languages and any name the table lacks.
int LanguageCodePage(const std::string& language);

// A character the code page cannot hold; line is 1-based within the text.
struct UnencodableText : std::runtime_error {
    UnencodableText(int line, const std::string& what) : std::runtime_error(what), line(line) {}
    int line;
};

// The UTF-8 text in the code page. Throws UnencodableText for a character the
// code page lacks and for bytes that are no UTF-8.
std::string AnsiFromUtf8(const std::string& text, int codePage);

// True when the text is well-formed UTF-8 (plain ASCII is).
bool IsUtf8(const std::string& text);
