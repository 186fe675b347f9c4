#pragma once
#include <string>

// A fresh random GUID as upper-case text in braces:
// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
std::string NewGuidText();

// Whether the text is a GUID in that form (hex digits of either case).
bool IsGuidText(const std::string& text);
