// A stand-in for a library a web page drops into a downloads folder, copied
// there as version.dll, bcrypt.dll or comctl32.dll. Loading it leaves
// "<its path>.loaded" naming the program that loaded it. It exports what the
// engine and keb.dll would import from those libraries, so that a load-time
// import would really bind to it; every export fails harmlessly.
#include <windows.h>
#include <bcrypt.h>
#define _COMCTL32_  // declares InitCommonControlsEx for defining, not importing
#include <commctrl.h>

#include <string>

namespace {

constexpr NTSTATUS kNotSupported = static_cast<NTSTATUS>(0xC00000BBL);

std::string ModulePath(HMODULE module) {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, n < MAX_PATH ? n : 0);
}

void LeaveMarker(HMODULE self) {
    const std::string marker = ModulePath(self) + ".loaded";
    HANDLE file = CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string loader = ModulePath(nullptr) + "\r\n";
    DWORD written = 0;
    WriteFile(file, loader.data(), static_cast<DWORD>(loader.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) LeaveMarker(self);
    return TRUE;
}

// version.dll
extern "C" __declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR, LPDWORD) { return 0; }
extern "C" __declspec(dllexport) BOOL WINAPI GetFileVersionInfoA(LPCSTR, DWORD, DWORD, LPVOID) { return FALSE; }
extern "C" __declspec(dllexport) BOOL WINAPI VerQueryValueA(LPCVOID, LPCSTR, LPVOID*, PUINT) { return FALSE; }

// comctl32.dll
extern "C" __declspec(dllexport) BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX*) { return FALSE; }

// bcrypt.dll
extern "C" __declspec(dllexport) NTSTATUS WINAPI BCryptOpenAlgorithmProvider(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR,
                                                                             ULONG) {
    return kNotSupported;
}
extern "C" __declspec(dllexport) NTSTATUS WINAPI BCryptCloseAlgorithmProvider(BCRYPT_ALG_HANDLE, ULONG) {
    return kNotSupported;
}
extern "C" __declspec(dllexport) NTSTATUS WINAPI BCryptCreateHash(BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR,
                                                                  ULONG, PUCHAR, ULONG, ULONG) {
    return kNotSupported;
}
extern "C" __declspec(dllexport) NTSTATUS WINAPI BCryptHashData(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG) {
    return kNotSupported;
}
extern "C" __declspec(dllexport) NTSTATUS WINAPI BCryptFinishHash(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG) {
    return kNotSupported;
}
extern "C" __declspec(dllexport) NTSTATUS WINAPI BCryptDestroyHash(BCRYPT_HASH_HANDLE) { return kNotSupported; }
extern "C" __declspec(dllexport) NTSTATUS WINAPI BCryptSetProperty(BCRYPT_HANDLE, LPCWSTR, PUCHAR, ULONG, ULONG) {
    return kNotSupported;
}
extern "C" __declspec(dllexport) NTSTATUS WINAPI BCryptGenerateSymmetricKey(BCRYPT_ALG_HANDLE, BCRYPT_KEY_HANDLE*,
                                                                            PUCHAR, ULONG, PUCHAR, ULONG, ULONG) {
    return kNotSupported;
}
extern "C" __declspec(dllexport) NTSTATUS WINAPI BCryptDecrypt(BCRYPT_KEY_HANDLE, PUCHAR, ULONG, VOID*, PUCHAR, ULONG,
                                                               PUCHAR, ULONG, ULONG*, ULONG) {
    return kNotSupported;
}
extern "C" __declspec(dllexport) NTSTATUS WINAPI BCryptDestroyKey(BCRYPT_KEY_HANDLE) { return kNotSupported; }
