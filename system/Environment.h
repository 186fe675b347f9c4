#pragma once
#include <string>

// Replaces %NAME% references by the values of the process environment;
// references to variables that do not exist stay as written.
std::string ExpandEnvironmentText(const std::string& text);
