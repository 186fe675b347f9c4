#pragma once
#include <string>
#include <vector>

// Runs a program found on PATH with the given arguments (no shell) in the
// given working folder (empty: the current one) and waits for it. Returns its
// exit code; throws when it cannot be started. What it prints goes to stderr
// when it fails or when tool output is shown (orvanta's -v), else nowhere.
int RunProgram(const std::vector<std::string>& argv, const std::string& workingFolder = {});
void ShowToolOutput(bool show);

// The same, keeping what the program prints on stdout and stderr together.
struct ProgramResult {
    int exitCode;
    std::string output;
};
ProgramResult RunProgramCapturing(const std::vector<std::string>& argv, const std::string& workingFolder = {});
