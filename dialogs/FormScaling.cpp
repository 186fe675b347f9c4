// Designed geometry and fonts at the screen's density.
#include "dialogs/FormScaling.h"

#include <algorithm>
#include <climits>
#include <cctype>

#include "dialogs/DesignedColors.h"

namespace {

const std::pair<const char*, int> kCharsets[] = {
    {"ANSI_CHARSET", 0},       {"DEFAULT_CHARSET", 1},     {"SYMBOL_CHARSET", 2},   {"SHIFTJIS_CHARSET", 128},
    {"HANGEUL_CHARSET", 129},  {"GB2312_CHARSET", 134},    {"CHINESEBIG5_CHARSET", 136}, {"OEM_CHARSET", 255},
    {"JOHAB_CHARSET", 130},    {"HEBREW_CHARSET", 177},    {"ARABIC_CHARSET", 178}, {"GREEK_CHARSET", 161},
    {"TURKISH_CHARSET", 162},  {"VIETNAMESE_CHARSET", 163}, {"THAI_CHARSET", 222}, {"EASTEUROPE_CHARSET", 238},
    {"RUSSIAN_CHARSET", 204},  {"MAC_CHARSET", 77},        {"BALTIC_CHARSET", 186},
};

}  // namespace

int ScaledLength(int64_t designed, int designDpi, int screenDpi) {
    if (designDpi <= 0 || screenDpi <= 0) return static_cast<int>(std::clamp<int64_t>(designed, INT_MIN, INT_MAX));
    const int64_t product = designed * screenDpi;
    const int64_t half = designDpi / 2;
    const int64_t scaled = product >= 0 ? (product + half) / designDpi : -((-product + half) / designDpi);
    return static_cast<int>(std::clamp<int64_t>(scaled, -1000000, 1000000));
}

int DesignDpi(const FormObject& root) {
    const FormValue* stored = root.Find("PixelsPerInch");
    if (!stored || !stored->IsInteger() || stored->integer <= 0 || stored->integer > 10000) return kDesignedDpi;
    return static_cast<int>(stored->integer);
}

DesignedFont FontOf(const FormObject& object, const DesignedFont& parent, int designDpi) {
    DesignedFont font = parent;
    if (const FormValue* name = object.Find("Font.Name"); name && name->IsText()) font.name = name->AsText();
    if (const FormValue* size = object.Find("Font.Size"); size && size->IsInteger())
        font.height = -ScaledLength(std::clamp<int64_t>(size->integer, -1000, 1000), 72, designDpi);
    if (const FormValue* height = object.Find("Font.Height"); height && height->IsInteger())
        font.height = static_cast<int>(std::clamp<int64_t>(height->integer, -10000, 10000));
    if (const FormValue* color = object.Find("Font.Color"))
        if (auto value = ColorFromValue(*color)) font.color = *value;
    if (const FormValue* style = object.Find("Font.Style"); style && style->type == FormValueType::Set) {
        font.bold = font.italic = font.underline = font.strikeOut = false;
        for (const std::string& flag : style->names) {
            font.bold |= flag == "fsBold";
            font.italic |= flag == "fsItalic";
            font.underline |= flag == "fsUnderline";
            font.strikeOut |= flag == "fsStrikeOut";
        }
    }
    if (const FormValue* charset = object.Find("Font.Charset")) {
        if (charset->IsInteger()) font.charset = static_cast<int>(charset->integer & 0xFF);
        if (charset->type == FormValueType::Identifier)
            for (const auto& [name, value] : kCharsets)
                if (charset->bytes == name) font.charset = value;
    }
    return font;
}
