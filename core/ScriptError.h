#pragma once
#include <stdexcept>
#include <string>

// An error that ends the setup script. Commands throw it with the text the
// user sees after "Line N: " in the script error report.
class ScriptError : public std::runtime_error {
public:
    explicit ScriptError(const std::string& text) : std::runtime_error(text) {}
};
