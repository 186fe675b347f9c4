// The look of bit buttons and speed buttons: the designed glyph beside the
// caption, and the caption a bit button's Kind gives when none is designed.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "dialogs/DesignedControls_win32.h"
#include "dialogs/PictureData.h"
#include "system/LoadedLibrary.h"

namespace {

const LoadedLibrary& CommonControls() {
    static const LoadedLibrary library = LoadedLibrary::FromActivationContext("comctl32.dll");
    return library;
}

constexpr UINT kSetImageList = 0x1602;  // BCM_SETIMAGELIST

// BUTTON_IMAGELIST, which the headers declare only for newer systems.
struct ButtonImages {
    HIMAGELIST list;
    RECT margin;
    UINT align;  // 0 left, 1 right, 2 top, 3 bottom, 4 centre
};

std::string Identifier(const ControlRecord& record, const char* property, const char* absent) {
    const FormValue* value = record.object->Find(property);
    return value && value->type == FormValueType::Identifier ? value->bytes : absent;
}

}  // namespace

void ImageListDeleter::operator()(_IMAGELIST* list) const {
    using Destroy = BOOL(WINAPI*)(HIMAGELIST);
    if (const auto destroy = CommonControls().Find<Destroy>("ImageList_Destroy")) destroy(list);
}

std::string KindCaption(const ControlRecord& record) {
    static const std::pair<const char*, const char*> kCaptions[] = {
        {"bkOK", "OK"},          {"bkCancel", "Cancel"}, {"bkHelp", "&Help"},   {"bkYes", "&Yes"},
        {"bkNo", "&No"},         {"bkClose", "&Close"},  {"bkAbort", "Abort"},  {"bkRetry", "&Retry"},
        {"bkIgnore", "&Ignore"}, {"bkAll", "&All"},
    };
    if (record.className != "TBitBtn") return "";
    const std::string kind = Identifier(record, "Kind", "bkCustom");
    for (const auto& [name, caption] : kCaptions)
        if (kind == name) return caption;
    return "";
}

void AttachGlyph(ControlRecord& record) {
    const FormValue* data = record.object->Find("Glyph.Data");
    if (!data || data->type != FormValueType::Binary || !record.window) return;
    const OwnedBitmap designed(PictureFileBitmap(GlyphBitmapFile(data->bytes)));
    if (!designed) return;
    BITMAP info{};
    GetObjectA(designed.get(), sizeof info, &info);
    // The designed strip holds NumGlyphs images side by side: up, disabled, clicked, down.
    const FormValue* stored = record.object->Find("NumGlyphs");
    int count = stored && stored->IsInteger() ? static_cast<int>(std::clamp<int64_t>(stored->integer, 1, 4)) : 1;
    if (info.bmWidth < count) count = 1;
    const int width = info.bmWidth / count, height = info.bmHeight;
    const int shownWidth = std::max(record.scale->ToScreen(width), 1), shownHeight = std::max(record.scale->ToScreen(height), 1);
    // The button's states in its image list's order: normal, hot, pressed, disabled, default, stylus hot.
    const int source[6] = {0, 0, count > 2 ? 2 : 0, count > 1 ? 1 : 0, 0, 0};

    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
    OwnedBitmap strip(CreateCompatibleBitmap(screen, shownWidth * 6, shownHeight));
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldFrom = SelectObject(from, designed.get());
    HGDIOBJ oldTo = SelectObject(to, strip.get());
    const COLORREF transparent = GetPixel(from, 0, height - 1);  // the designer's transparent colour
    SetStretchBltMode(to, COLORONCOLOR);  // no blending: the transparent colour stays exact
    for (int state = 0; state < 6; ++state)
        StretchBlt(to, state * shownWidth, 0, shownWidth, shownHeight, from, source[state] * width, 0, width, height,
                   SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);

    using Create = HIMAGELIST(WINAPI*)(int, int, UINT, int, int);
    using AddMasked = int(WINAPI*)(HIMAGELIST, HBITMAP, COLORREF);
    const auto create = CommonControls().Find<Create>("ImageList_Create");
    const auto addMasked = CommonControls().Find<AddMasked>("ImageList_AddMasked");
    if (!create || !addMasked) return;
    OwnedImageList list(create(shownWidth, shownHeight, ILC_COLOR24 | ILC_MASK, 6, 0));
    if (!list || addMasked(list.get(), strip.get(), transparent) < 0) return;
    const std::string layout = Identifier(record, "Layout", "blGlyphLeft");
    const UINT align = layout == "blGlyphRight" ? 1 : layout == "blGlyphTop" ? 2 : layout == "blGlyphBottom" ? 3 : 0;
    const int margin = record.scale->ToScreen(2);
    ButtonImages images{list.get(), RECT{margin, margin, margin, margin}, align};
    SendMessageA(record.window, kSetImageList, 0, reinterpret_cast<LPARAM>(&images));
    record.glyphs = std::move(list);  // the previous list only after the button holds the new one
    InvalidateRect(record.window, nullptr, TRUE);
}
