// A COM server library that only registers and unregisters itself: its
// class key under the current user's classes, pointing at this file.
#include <windows.h>
#include <shlwapi.h>

#include <string>

namespace {

const char kClassKey[] = "Software\\Classes\\CLSID\\{3C5E7A9B-1D2F-4E6A-8B0C-2D4F6A8C0E1B}";
HMODULE gModule = nullptr;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) gModule = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(gModule, path, MAX_PATH);
    HKEY key = nullptr;
    const std::string server = std::string(kClassKey) + "\\InprocServer32";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, server.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != 0)
        return E_FAIL;
    const LONG written = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path), lstrlenA(path) + 1);
    RegCloseKey(key);
    return written == 0 ? S_OK : E_FAIL;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() {
    return SHDeleteKeyA(HKEY_CURRENT_USER, kClassKey) == 0 ? S_OK : E_FAIL;
}
