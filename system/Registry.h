#pragma once
#include <cstdint>
#include <optional>
#include <string>

// The registry as the engine uses it: string values, and for the script's
// reads also numbers. Key paths are written with backslashes, without a
// leading root name.
enum class RegistryRoot { CurrentUser, LocalMachine, ClassesRoot, Users, CurrentConfig };

// A value with its kind, as a script reads it.
struct RegistryData {
    enum class Kind { String, ExpandableString, Number, Other };
    Kind kind = Kind::Other;
    std::string text;     // String and ExpandableString
    uint32_t number = 0;  // Number (a 32-bit value)
};

// The value, or nullopt when the key or value is missing or cannot be read.
std::optional<RegistryData> ReadRegistryData(RegistryRoot root, const std::string& key, const std::string& name);

// The string value (plain or expandable, unexpanded), or nullopt when the key
// or value is missing or not a string.
std::optional<std::string> ReadRegistryString(RegistryRoot root, const std::string& key, const std::string& name);
// Creates the key when missing; returns false when the value cannot be written.
bool WriteRegistryString(RegistryRoot root, const std::string& key, const std::string& name, const std::string& value);
// A 32-bit number (REG_DWORD); creates the key when missing.
bool WriteRegistryNumber(RegistryRoot root, const std::string& key, const std::string& name, uint32_t value);
// Deletes one value; false when it was not there or could not be deleted.
bool DeleteRegistryValue(RegistryRoot root, const std::string& key, const std::string& name);
// Deletes a key with all its subkeys; false when it was not there or could not be deleted.
bool DeleteRegistryKey(RegistryRoot root, const std::string& key);
bool RegistryKeyExists(RegistryRoot root, const std::string& key);
