#include <windows.h>

#include <cstring>
#include <vector>

#include "system/LoadedLibrary.h"
#include "system/OwnedHandle_win32.h"
#include "system/SystemFacts.h"
#include "system/WideText.h"

namespace {

}  // namespace

OsVersion ReadOsVersion() {
    // RtlGetVersion answers the real version whatever the program's manifest
    // says; Windows 9x has none and answers through GetVersionEx.
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    const LoadedLibrary ntdll = LoadedLibrary::FromSystemFolder("ntdll.dll");
    if (const auto rtlGetVersion = ntdll.Find<RtlGetVersionFunction>("RtlGetVersion")) {
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
        if (rtlGetVersion(&info) == 0)
            return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
                    info.dwPlatformId == VER_PLATFORM_WIN32_NT, AnsiFromWide(info.szCSDVersion)};
    }
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return {};
    return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId == VER_PLATFORM_WIN32_NT,
            info.szCSDVersion};
}

uint64_t TotalPhysicalMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

ScreenFacts ReadScreen() {
    ScreenFacts screen;
    screen.width = GetSystemMetrics(SM_CXSCREEN);
    screen.height = GetSystemMetrics(SM_CYSCREEN);
    if (HDC dc = GetDC(nullptr)) {
        screen.deviceContext = true;
        screen.bitsPerPixel = GetDeviceCaps(dc, BITSPIXEL);
        screen.dotsPerInch = GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(nullptr, dc);
    }
    return screen;
}

bool TokenHasAlias(BuiltinAlias alias) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID group = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, static_cast<DWORD>(alias), 0, 0, 0, 0, 0, 0,
                                  &group))
        return false;
    // CheckTokenMembership takes the thread's token while it impersonates.
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, group, &member)) member = FALSE;
    FreeSid(group);
    return member != FALSE;
}

AccountOfToken TokenAccount() {
    HANDLE process = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &process)) return {};
    const OwnedHandle token = Own(process);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    char user[256], domain[256];
    DWORD userSize = sizeof user, domainSize = sizeof domain;
    SID_NAME_USE use;
    if (!LookupAccountSidA(nullptr, sid, user, &userSize, domain, &domainSize, &use)) return {};
    return {user, domain};
}

std::string LoggedOnUserName() {
    char name[257];
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? std::string(name) : std::string();
}

std::string ComputerName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

std::optional<uint16_t> FirstFileLanguage(const std::string& path) {
    const LoadedLibrary version = LoadedLibrary::FromSystemFolder("version.dll");
    const auto infoSize = version.Find<decltype(&GetFileVersionInfoSizeA)>("GetFileVersionInfoSizeA");
    const auto info = version.Find<decltype(&GetFileVersionInfoA)>("GetFileVersionInfoA");
    const auto query = version.Find<decltype(&VerQueryValueA)>("VerQueryValueA");
    if (!infoSize || !info || !query) return std::nullopt;
    DWORD ignored = 0;
    const DWORD size = infoSize(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<char> block(size);
    if (!info(path.c_str(), 0, size, block.data())) return std::nullopt;
    WORD* translations = nullptr;
    UINT length = 0;
    if (!query(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length) ||
        !translations || length < 2 * sizeof(WORD))
        return std::nullopt;
    return translations[0];
}

std::string LanguageName(uint16_t language) {
    const LoadedLibrary version = LoadedLibrary::FromSystemFolder("version.dll");
    const auto name = version.Find<decltype(&VerLanguageNameA)>("VerLanguageNameA");
    if (!name) return {};
    char text[256] = "";
    // Wine counts the terminating zero in the length; the text ends at it either way.
    const DWORD length = name(language, text, sizeof text);
    return length > 0 ? std::string(text, strnlen(text, sizeof text)) : std::string();
}
