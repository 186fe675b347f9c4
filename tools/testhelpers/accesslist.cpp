// Prints an object's discretionary access list as the security API reads it
// back, one entry a line: "ALLOW|DENY|TYPE<n> <mask> <flags> <SID>" (mask and
// flags in hexadecimal), after a line "user <SID>" naming the process token's
// user. "no list" stands for a missing list. Objects are files and folders by
// path, or with --registry keys as the API names them ("CURRENT_USER\...").
// usage: accesslist [--registry] NAME
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <string>

namespace {

std::string SidText(PSID sid) {
    char* text = nullptr;
    if (!ConvertSidToStringSidA(sid, &text)) return "?";
    std::string out = text;
    LocalFree(text);
    return out;
}

std::string ProcessUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return "?";
    char buffer[512];
    DWORD size = 0;
    const bool ok = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size);
    CloseHandle(token);
    return ok ? SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid) : "?";
}

}  // namespace

int main(int argc, char** argv) {
    const bool registry = argc == 3 && std::string(argv[1]) == "--registry";
    if (argc != 2 && !registry) {
        std::fprintf(stderr, "usage: accesslist [--registry] NAME\n");
        return 2;
    }
    char* name = argv[argc - 1];
    std::printf("user %s\n", ProcessUserSid().c_str());
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const SE_OBJECT_TYPE type = registry ? SE_REGISTRY_KEY : SE_FILE_OBJECT;
    const DWORD error =
        GetNamedSecurityInfoA(name, type, DACL_SECURITY_INFORMATION, nullptr, nullptr, &list, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) {
        std::fprintf(stderr, "GetNamedSecurityInfo: error %lu\n", static_cast<unsigned long>(error));
        return 1;
    }
    if (!list) std::printf("no list\n");
    for (DWORD i = 0; list && i < list->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(list, i, &entry)) continue;
        const auto* header = static_cast<ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE) {
            std::printf("TYPE%u\n", header->AceType);
            continue;
        }
        const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        std::printf("%s %08lX %02X %s\n", header->AceType == ACCESS_ALLOWED_ACE_TYPE ? "ALLOW" : "DENY",
                    static_cast<unsigned long>(allowed->Mask), header->AceFlags,
                    SidText(const_cast<DWORD*>(&allowed->SidStart)).c_str());
    }
    LocalFree(descriptor);
    return 0;
}
