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
