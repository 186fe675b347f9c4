#pragma once
#include <cstdint>
#include <optional>
#include <string>

// What the machine tells about itself, for the script's prerequisite checks.
// Every query answers empty or zero values when the system does not tell.

// The operating system's own version. On Windows NT it comes from the
// version-independent call, not from the one that tells a program without a
// compatibility manifest 6.2 on later systems.
struct OsVersion {
    unsigned major = 0;
    unsigned minor = 0;
    uint32_t buildField = 0;  // as the system fills it; Windows 9x keeps the version in its high word
    bool ntFamily = true;
    std::string servicePack;  // "Service Pack 3", or empty
};
OsVersion ReadOsVersion();

// Total physical memory in bytes (64-bit, beyond 4 GB); 0 when unknown.
uint64_t TotalPhysicalMemory();

// The primary screen and its device context.
struct ScreenFacts {
    int width = 0;  // pixels
    int height = 0;
    bool deviceContext = false;  // the values below come from one
    int bitsPerPixel = 0;
    int dotsPerInch = 0;  // horizontal logical pixels per inch
};
ScreenFacts ReadScreen();

// The built-in alias groups by their relative id.
enum class BuiltinAlias : uint32_t { Administrators = 544, Users = 545, Guests = 546, PowerUsers = 547 };
// Whether the process's effective token (the thread's while it impersonates)
// holds the alias as an enabled group.
bool TokenHasAlias(BuiltinAlias alias);

// The account of the process token's user; empty texts when it cannot be read.
struct AccountOfToken {
    std::string user;
    std::string domain;
};
AccountOfToken TokenAccount();
// The name the user logged on with (Windows 9x has no token); empty on failure.
std::string LoggedOnUserName();
std::string ComputerName();

// The first language of a file's version-resource translation list.
std::optional<uint16_t> FirstFileLanguage(const std::string& path);
// The language's name as the system spells it; empty when unknown.
std::string LanguageName(uint16_t language);
