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
    bool operator==(const DesignedFont&) const = default;
};

// The font of a component: its parent's, with the component's own Font.*
// properties applied (Font.Size in points becomes a height at the design density).
DesignedFont FontOf(const FormObject& object, const DesignedFont& parent, int designDpi);
