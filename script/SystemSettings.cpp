#include "script/SystemSettings.h"

#include "core/ScriptError.h"
#include "script/VersionText.h"
#include "system/FileVersion.h"
#include "system/Process.h"
#include "system/Registry.h"
#include "core/VariableStore.h"
#include "system/TextUtils.h"
#include "system/miis.h"

namespace {

constexpr uint64_t kMegabyte = 1048576;

// Windows 9x keeps the version in the high word of its build field: 4.10.2221.
constexpr uint32_t kLastBuildBeforeSecondEdition = 0x040A08AD;

const unsigned kMemoryMegabytes[] = {32, 64, 128, 256, 512, 1024, 2048};                 // 1..7
const int kScreens[][2] = {{800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}, {1920, 1440}};  // 8..12
const int kColourDepths[] = {8, 16, 24, 32};                                             // 13..16
const unsigned kOsVersions[][2] = {{4, 0}, {4, 10}, {4, 11}, {4, 90}, {4, 0}, {5, 0}, {5, 1}, {5, 2}};  // 19..26
const FileVersionNumber kBrowserVersions[] = {                                           // 37..52
    {6, 0, 2800, 1106}, {6, 0, 2600, 0},    {5, 5, 4807, 2300},  {5, 5, 4522, 1800},
    {5, 5, 4134, 100},  {5, 0, 3502, 5400}, {5, 0, 3314, 2100},  {5, 0, 2919, 6307},
    {5, 0, 2014, 213},  {4, 72, 3612, 1707}, {4, 72, 3110, 3},   {4, 72, 2106, 7},
    {4, 71, 1712, 5},   {4, 70, 1300, 0},   {4, 70, 1215, 0},    {4, 70, 1155, 0}};
const unsigned kWebServerVersions[][2] = {{6, 0}, {5, 1}, {5, 0}, {4, 0}, {3, 0}, {2, 0}};  // 53..58

const char* const kWebServerKey = "SOFTWARE\\Microsoft\\INetStp";

bool IsAdministratorAccount(const OsVersion& version) {
    return !version.ntFamily || TokenHasAlias(BuiltinAlias::Administrators);
}

std::string Rights(const OsVersion& version) {
    if (IsAdministratorAccount(version)) return "ADMIN";
    if (TokenHasAlias(BuiltinAlias::PowerUsers)) return "POWER";
    if (TokenHasAlias(BuiltinAlias::Users)) return "USER";
    if (TokenHasAlias(BuiltinAlias::Guests)) return "GUEST";
    return "ERROR";
}

std::string RegisteredValue(const OsVersion& version, const char* name) {
    const char* key = version.ntFamily ? "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\"
                                       : "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
    return ReadRegistryString(RegistryRoot::LocalMachine, key, name).value_or("");
}

bool WebServerAtLeast(unsigned major, unsigned minor) {
    const auto installedMajor = ReadRegistryData(RegistryRoot::LocalMachine, kWebServerKey, "MajorVersion");
    const auto installedMinor = ReadRegistryData(RegistryRoot::LocalMachine, kWebServerKey, "MinorVersion");
    if (!installedMajor || !installedMinor || installedMajor->kind != RegistryData::Kind::Number ||
        installedMinor->kind != RegistryData::Kind::Number)
        return false;
    const int64_t installed = int64_t{static_cast<int32_t>(installedMajor->number)} * 10 +
                              static_cast<int32_t>(installedMinor->number);
    return installed >= major * 10 + minor;
}

std::string UserName(const OsVersion& version) {
    return version.ntFamily ? TokenAccount().user : LoggedOnUserName();
}

std::string SystemLanguage(bool asName) {
    const auto language = FirstFileLanguage(SystemFolder() + "winver.exe");
    if (!language) return {};
    return asName ? LanguageName(*language) : std::to_string(*language);
}

}  // namespace

bool MemoryAtLeast(uint64_t totalBytes, unsigned megabytes) {
    return totalBytes >= megabytes * kMegabyte - 2 * kMegabyte;
}

bool ScreenAtLeast(const ScreenFacts& screen, int width, int height) {
    return (screen.width >= width && screen.height >= height) || (screen.height >= width && screen.width >= height);
}

bool OsVersionAtLeast(const OsVersion& version, unsigned major, unsigned minor) {
    unsigned actualMinor = version.minor;
    if (!version.ntFamily && version.major == 4 && version.minor == 10 &&
        version.buildField > kLastBuildBeforeSecondEdition)
        actualMinor = 11;
    return version.major > major || (version.major == major && actualMinor >= minor);
}

int ServicePackNumber(const std::string& servicePack) {
    if (!StartsWith(servicePack, "Service Pack ")) return 0;
    const char last = servicePack.back();
    if (last < '0' || last > '9') throw ScriptError(std::string("'") + last + "' is not a valid integer value");
    return last - '0';
}

std::string SystemSetting(int number) {
    if (number < 0 || number > 64) return {};
    if (number >= 1 && number <= 7)
        return BoolToText(MemoryAtLeast(TotalPhysicalMemory(), kMemoryMegabytes[number - 1]));
    if (number >= 8 && number <= 12)
        return BoolToText(ScreenAtLeast(ReadScreen(), kScreens[number - 8][0], kScreens[number - 8][1]));
    if (number >= 13 && number <= 16) {
        const ScreenFacts screen = ReadScreen();
        return BoolToText(screen.deviceContext && screen.bitsPerPixel >= kColourDepths[number - 13]);
    }
    if (number >= 37 && number <= 52) {
        const FileVersionNumber browser = ReadFileVersion(SystemFolder() + "shdocvw.dll");
        return BoolToText(CompareVersions(browser, kBrowserVersions[number - 37]) >= 0);
    }
    if (number >= 53 && number <= 58)
        return BoolToText(WebServerAtLeast(kWebServerVersions[number - 53][0], kWebServerVersions[number - 53][1]));
    switch (number) {
        case 33: return SystemLanguage(false);
        case 34: return SystemLanguage(true);
        case 59: return IisAnonymousUserName();
        case 61: return ComputerName();
        case 64: {
            const ScreenFacts screen = ReadScreen();
            return std::to_string(screen.deviceContext ? screen.dotsPerInch : -1);
        }
        default: break;
    }
    const OsVersion version = ReadOsVersion();
    if (number >= 19 && number <= 26)
        return BoolToText(OsVersionAtLeast(version, kOsVersions[number - 19][0], kOsVersions[number - 19][1]));
    if (number >= 27 && number <= 32) return BoolToText(ServicePackNumber(version.servicePack) >= number - 26);
    switch (number) {
        case 0: return BoolToText(IsAdministratorAccount(version));
        case 17: return BoolToText(!version.ntFamily);
        case 18: return BoolToText(version.ntFamily);
        case 35: return RegisteredValue(version, "RegisteredOwner");
        case 36: return RegisteredValue(version, "RegisteredOrganization");
        case 60: return UserName(version);
        case 62: return version.ntFamily ? TokenAccount().domain : std::string();
        case 63: return Rights(version);
        default: return {};
    }
}
