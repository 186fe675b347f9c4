// Designed pictures as bitmaps: bitmap files through GDI, JPEG, PNG and GIF
// through GDI+ (gdiplus.dll of the system folder, loaded when a form needs it).
#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>

#include "dialogs/DesignedControls_win32.h"
#include "dialogs/PictureData.h"
#include "system/LoadedLibrary.h"

namespace {

HBITMAP FromBitmapFile(const std::string& file) {
    BitmapLayout layout;
    if (!ReadBitmapLayout(file, layout)) return nullptr;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(file.data() + layout.infoOffset);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, file.data() + layout.bitsOffset, info,
                                    DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

// The flat GDI+ functions this needs, by their documented signatures.
struct GdiplusStartupInput {
    UINT32 version = 1;
    void* debugEventCallback = nullptr;
    BOOL suppressBackgroundThread = FALSE;
    BOOL suppressExternalCodecs = FALSE;
};
using GdiplusStartupFunction = int(WINAPI*)(ULONG_PTR*, const GdiplusStartupInput*, void*);
using CreateBitmapFromStreamFunction = int(WINAPI*)(IStream*, void**);
using CreateHbitmapFunction = int(WINAPI*)(void*, HBITMAP*, DWORD);
using DisposeImageFunction = int(WINAPI*)(void*);

struct ComRelease {
    void operator()(IUnknown* object) const { object->Release(); }
};

HBITMAP FromGdiplus(const std::string& file) {
    // Started once and kept for the process: pictures are decoded while forms load.
    static const LoadedLibrary gdiplus = LoadedLibrary::FromSystemFolder("gdiplus.dll");
    static const bool started = [] {
        const auto startup = gdiplus.Find<GdiplusStartupFunction>("GdiplusStartup");
        ULONG_PTR token = 0;
        const GdiplusStartupInput input;
        return startup && startup(&token, &input, nullptr) == 0;
    }();
    const auto fromStream = gdiplus.Find<CreateBitmapFromStreamFunction>("GdipCreateBitmapFromStream");
    const auto toHbitmap = gdiplus.Find<CreateHbitmapFunction>("GdipCreateHBITMAPFromBitmap");
    const auto dispose = gdiplus.Find<DisposeImageFunction>("GdipDisposeImage");
    if (!started || !fromStream || !toHbitmap || !dispose) return nullptr;
    std::unique_ptr<IStream, ComRelease> stream(
        SHCreateMemStream(reinterpret_cast<const BYTE*>(file.data()), static_cast<UINT>(file.size())));
    if (!stream) return nullptr;
    void* image = nullptr;
    if (fromStream(stream.get(), &image) != 0 || !image) return nullptr;
    HBITMAP bitmap = nullptr;
    if (toHbitmap(image, &bitmap, 0xFFFFFFFF) != 0) bitmap = nullptr;  // white behind transparent pixels
    dispose(image);
    return bitmap;
}

}  // namespace

HBITMAP PictureFileBitmap(const std::string& file) {
    switch (PictureFileFormat(file)) {
        case PictureFormat::Bitmap: return FromBitmapFile(file);
        case PictureFormat::Jpeg:
        case PictureFormat::Png:
        case PictureFormat::Gif: return FromGdiplus(file);
        case PictureFormat::None: break;
    }
    return nullptr;
}

HBITMAP PictureBitmap(const std::string& pictureData) { return PictureFileBitmap(ReadPictureData(pictureData).file); }
