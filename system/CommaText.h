#pragma once
#include <string>
#include <vector>

// Comma text: the list format the engine shares with plug-ins and the
// installer thread. Items are separated by ","; an item holding a blank, a
// control character, a comma or a double quote is enclosed in double quotes
// with inner quotes doubled; an empty item is written as nothing, except that
// a list of one empty item is written as "".
std::string ToCommaText(const std::vector<std::string>& items);

// Reads a comma text: blanks and control characters around items are
// skipped, a quoted item runs to its closing quote (doubled quotes undoubled),
// an unquoted item runs to the next blank, control character or comma, and a
// comma at the very end adds an empty item. An unterminated quoted item runs
// to the end of the text.
std::vector<std::string> FromCommaText(const std::string& text);
