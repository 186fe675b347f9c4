#include <windows.h>

#include <vector>

#include "system/FileVersion.h"
#include "system/LoadedLibrary.h"

FileVersionNumber ReadFileVersion(const std::string& path) {
    const LoadedLibrary version = LoadedLibrary::FromSystemFolder("version.dll");
    const auto infoSize = version.Find<decltype(&GetFileVersionInfoSizeA)>("GetFileVersionInfoSizeA");
    const auto info = version.Find<decltype(&GetFileVersionInfoA)>("GetFileVersionInfoA");
    const auto query = version.Find<decltype(&VerQueryValueA)>("VerQueryValueA");
    if (!infoSize || !info || !query) return {};

    DWORD ignored = 0;
    DWORD size = infoSize(path.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<char> block(size);
    if (!info(path.c_str(), 0, size, block.data())) return {};
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!query(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof(VS_FIXEDFILEINFO))
        return {};
    return {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
            LOWORD(fixed->dwFileVersionLS)};
}
