#include <windows.h>

#include <vector>

#include "system/LoadedLibrary.h"
#include "system/NetworkShares.h"
#include "system/WideText.h"

namespace {

// The library's share description, level 2 (the fields of SHARE_INFO_2).
struct ShareInfo2 {
    wchar_t* netname;
    DWORD type;
    wchar_t* remark;
    DWORD permissions;
    DWORD maxUses;
    DWORD currentUses;
    wchar_t* path;
    wchar_t* password;
};
constexpr DWORD kDiskShare = 0;        // STYPE_DISKTREE
constexpr DWORD kNoUserLimit = ~0u;    // SHI_USES_UNLIMITED
using NetShareAddFunction = DWORD(WINAPI*)(wchar_t* server, DWORD level, BYTE* buffer, DWORD* parameterError);
using NetShareDelFunction = DWORD(WINAPI*)(wchar_t* server, wchar_t* name, DWORD reserved);

}  // namespace

bool CreateNetworkShare(const std::string& folder, const std::string& name, const std::string& remark) {
    const LoadedLibrary netapi = LoadedLibrary::FromSystemFolder("netapi32.dll");
    const auto add = netapi.Find<NetShareAddFunction>("NetShareAdd");
    if (!add) return false;
    auto wideName = WideFromAnsi(name), wideRemark = WideFromAnsi(remark), widePath = WideFromAnsi(folder);
    ShareInfo2 share{wideName.data(), kDiskShare, wideRemark.data(), 0, kNoUserLimit, 0, widePath.data(), nullptr};
    DWORD parameterError = 0;
    return add(nullptr, 2, reinterpret_cast<BYTE*>(&share), &parameterError) == 0;
}

bool DeleteNetworkShare(const std::string& name) {
    const LoadedLibrary netapi = LoadedLibrary::FromSystemFolder("netapi32.dll");
    const auto remove = netapi.Find<NetShareDelFunction>("NetShareDel");
    if (!remove) return false;
    auto wideName = WideFromAnsi(name);
    return remove(nullptr, wideName.data(), 0) == 0;
}
