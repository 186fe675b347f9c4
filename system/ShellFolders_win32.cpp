#include <windows.h>
#include <shlobj.h>

#include "system/ShellFolders.h"
#include "system/TextUtils.h"

std::string ShellFolderPath(int csidl) {
    char buffer[MAX_PATH];
    if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE)) return {};
    return WithBackslash(buffer);
}

bool IsAdministrator() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &admins))
        return false;
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, admins, &member)) member = FALSE;
    FreeSid(admins);
    return member != FALSE;
}
