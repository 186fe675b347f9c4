#pragma once
// Designed geometry and fonts at the screen's density: a form designed at
// PixelsPerInch (96 when not stored) is scaled to the screen's dots per inch.
#include <cstdint>
#include <string>

#include "dialogs/FormFile.h"

constexpr int kDesignedDpi = 96;

// A designed length at the screen's density, rounded to the nearest pixel
// (halves away from zero).
int ScaledLength(int64_t designed, int designDpi, int screenDpi);

// A designed font height at the screen's density. A character height
// (negative) goes through whole points as the designer keeps fonts, so -11 at
// 96 dots per inch (8 points) is -16 at 144, not -17; a cell height (positive)
// scales as a length.
int ScaledFontHeight(int designed, int designDpi, int screenDpi);

// The form's designed density: PixelsPerInch, or 96 when absent or not positive.
int DesignDpi(const FormObject& root);

// A font as designed: height in pixels at the design density (negative: the
// character height without internal leading, as the designer stores it).
struct DesignedFont {
    std::string name = "Tahoma";
    int height = -11;
    bool bold = false, italic = false, underline = false, strikeOut = false;
    int64_t color = 0x80000008;  // clWindowText
    int charset = 1;             // DEFAULT_CHARSET
    int pitch = 0;               // DEFAULT_PITCH, FIXED_PITCH or VARIABLE_PITCH
    int quality = 0;             // DEFAULT_QUALITY and the other LOGFONT qualities
    int orientation = 0;         // tenths of a degree, counter-clockwise
    bool operator==(const DesignedFont&) const = default;
};

// The font of a component as loading makes it: its parent's, with the
// component's own Font.* properties applied (Font.Size in points becomes a
// height at the design density); ParentFont = True stored after them gives the
// parent's font back. Also a font changed at run time: base is the current one.
DesignedFont FontOf(const FormObject& object, const DesignedFont& base, int designDpi);

// Whether the component follows its container's font: ParentFont as stored,
// else true as long as none of its own Font.* properties is stored.
bool FollowsParentFont(const FormObject& object);

// Before a rule writes a font property the form does not store: stores its
// default of the right kind (an empty style set, the default charset, pitch
// and quality identifiers), so that the written text is read as that kind.
void StoreFontDefault(FormObject& object, std::string_view property);
