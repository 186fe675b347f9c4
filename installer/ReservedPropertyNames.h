#pragma once
#include <array>
#include <string>

// Names of the Windows Installer's own properties. Script variables with
// these names are never handed to the installer in the property file.
constexpr size_t kReservedPropertyNameCount = 187;

const std::array<const char*, kReservedPropertyNameCount>& ReservedPropertyNames();
// Compared ignoring case.
bool IsReservedPropertyName(const std::string& name);
