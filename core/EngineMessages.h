#pragma once
#include <string>

// The engine's own translatable texts, numbered 1 to 90 in language-file line
// order. They start with their English defaults; a language message file
// replaces them line by line.
constexpr int kEngineMessageCount = 90;

// Text of entry n (1-based); empty for numbers outside the table.
std::string EngineText(int n);

// Replaces entries 1 to 90 from the lines of a language message file. Reading
// stops after line 90; entries beyond the file's last line become empty.
void LoadMessageText(const std::string& fileText);
// Back to the English defaults.
void ResetEngineTexts();
