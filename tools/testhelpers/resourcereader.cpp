// Reads a program's resources back through Windows itself, as the loader and
// Explorer see them:
//   resourcereader manifest FILE   the manifest (resource 1 of type 24)
//   resourcereader version FILE    the version texts and numbers, one "Name=value" a line
//   resourcereader icon FILE       each image of icon group 1: "icon ID WIDTHxHEIGHT BITSbpp"
// Exit code 0, or 1 when the resource is missing or unreadable.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct ModuleFree {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using OwnedModule = std::unique_ptr<HINSTANCE__, ModuleFree>;

struct IconDestroy {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using OwnedIcon = std::unique_ptr<HICON__, IconDestroy>;

struct ObjectDelete {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using OwnedBitmap = std::unique_ptr<HBITMAP__, ObjectDelete>;

// The resource's bytes; size 0 when missing.
std::pair<const unsigned char*, DWORD> Resource(HMODULE module, LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(module, name, type);
    if (!found) return {nullptr, 0};
    HGLOBAL loaded = LoadResource(module, found);
    return {static_cast<const unsigned char*>(LockResource(loaded)), SizeofResource(module, found)};
}

int Manifest(HMODULE module) {
    auto [bytes, size] = Resource(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (!size) return 1;
    std::fwrite(bytes, 1, size, stdout);
    return 0;
}

#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bits;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

int Icon(HMODULE module) {
    auto [group, size] = Resource(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14));
    if (size < 6) return 1;
    WORD count;
    std::memcpy(&count, group + 4, 2);
    if (size < 6 + count * sizeof(GroupEntry)) return 1;
    for (WORD i = 0; i < count; ++i) {
        GroupEntry entry;
        std::memcpy(&entry, group + 6 + i * sizeof entry, sizeof entry);
        auto [image, imageSize] = Resource(module, MAKEINTRESOURCEA(entry.id), MAKEINTRESOURCEA(3));
        if (!imageSize) return 1;
        OwnedIcon icon(CreateIconFromResourceEx(const_cast<PBYTE>(image), imageSize, TRUE, 0x00030000, 0, 0, 0));
        ICONINFO info{};
        if (!icon || !GetIconInfo(icon.get(), &info)) return 1;
        OwnedBitmap colour(info.hbmColor), mask(info.hbmMask);
        BITMAP bitmap{};
        GetObjectA(colour.get(), sizeof bitmap, &bitmap);
        std::printf("icon %u %ldx%ld %ubpp\n", unsigned(entry.id), long(bitmap.bmWidth), long(bitmap.bmHeight), unsigned(entry.bits));
    }
    return 0;
}

int Version(const char* file) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file, &ignored);
    if (!size) return 1;
    auto data = std::make_unique<char[]>(size);
    if (!GetFileVersionInfoA(file, 0, size, data.get())) return 1;
    for (const char* name : {"ProductName", "CompanyName", "FileDescription", "ProductVersion", "FileVersion",
                             "OriginalFilename"}) {
        char* text = nullptr;
        UINT length = 0;
        const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
        if (VerQueryValueA(data.get(), path.c_str(), reinterpret_cast<void**>(&text), &length))
            std::printf("%s=%s\n", name, text);
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.get(), "\\", reinterpret_cast<void**>(&fixed), &length)) return 1;
    std::printf("FixedProductVersion=%u.%u.%u.%u\n", unsigned(HIWORD(fixed->dwProductVersionMS)),
                unsigned(LOWORD(fixed->dwProductVersionMS)), unsigned(HIWORD(fixed->dwProductVersionLS)),
                unsigned(LOWORD(fixed->dwProductVersionLS)));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string what = argv[1];
    if (what == "version") return Version(argv[2]);
    OwnedModule module(LoadLibraryExA(argv[2], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module) return 1;
    if (what == "manifest") return Manifest(module.get());
    if (what == "icon") return Icon(module.get());
    return 2;
}
