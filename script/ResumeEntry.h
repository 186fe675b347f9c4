#pragma once
#include <string>

// The Run-key value through which "Reboot and Resume" starts the setup again
// after the restart; session start removes it so the resume happens once.
inline constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";

// The first eight characters after the opening brace of the product code.
inline std::string ResumeEntryName(const std::string& productCode) {
    const size_t brace = productCode.find('{');
    return productCode.substr(brace == std::string::npos ? 0 : brace + 1, 8);
}

// The program the entry starts: the self-extracting package that started the
// engine when there is one (the engine's own folder is gone by then), else the
// engine. Quoted: the system reads a Run value as a command line, and an
// unquoted "C:\Program Files\..." would first start a planted C:\Program.exe.
inline std::string ResumeEntryCommand(const std::string& launcherPath, const std::string& enginePath) {
    return "\"" + (launcherPath.empty() ? enginePath : launcherPath) + "\"";
}
