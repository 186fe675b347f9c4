#pragma once
// mscriptexec: the interpreter loop: runs the setup script command by command
// and catches a command's error once, at the command boundary.
#include <functional>
#include <optional>
#include <string>

#include "script/Script.h"

// Called with the 1-based position of the command about to run; returning
// false stops the script.
using StepCallback = std::function<bool(int position)>;

// Runs the setup script from its first command to its last (or until a
// command ends the setup, the step callback says stop, or a command fails).
// msiPath is the working copy of the installer database. A run that ends
// because of an error (the script error report, or a command that reported
// its own failure and ended the script) sets the exit code to 1603 unless
// "Terminate with Exit Code" set it.
void RunScript(const Script& script, const std::string& msiPath, const StepCallback& step);

// The script error report of the last run ("Runtime error in setup
// script:\r\rLine N: text"), empty when it ended without an error.
std::string LastScriptErrorReport();

// The same as its parts, none when the run ended without an error: the
// failing command's 1-based position (0: before the first) and the text
// after "Line N: ".
struct ScriptFailure {
    int position;
    std::string message;
};
const std::optional<ScriptFailure>& LastScriptFailure();
