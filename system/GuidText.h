#pragma once
#include <string>

// A fresh random GUID as upper-case text in braces:
// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
std::string NewGuidText();
