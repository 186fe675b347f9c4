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

const std::pair<const char*, int> kPitches[] = {{"fpDefault", 0}, {"fpFixed", 1}, {"fpVariable", 2}};

const std::pair<const char*, int> kQualities[] = {
    {"fqDefault", 0},      {"fqDraft", 1},     {"fqProof", 2},     {"fqNonAntialiased", 3},
    {"fqAntialiased", 4},  {"fqClearType", 5}, {"fqClearTypeNatural", 6},
};

template <size_t N>
void ApplyIdentifier(const FormValue* value, const std::pair<const char*, int> (&names)[N], int& target) {
    if (!value || value->type != FormValueType::Identifier) return;
    for (const auto& [name, number] : names)
        if (value->bytes == name) target = number;
}

bool StoredTrue(const FormObject& object, const char* property) {
    const FormValue* value = object.Find(property);
    return value && value->type == FormValueType::True;
}

}  // namespace

int ScaledLength(int64_t designed, int designDpi, int screenDpi) {
    if (designDpi <= 0 || screenDpi <= 0) return static_cast<int>(std::clamp<int64_t>(designed, INT_MIN, INT_MAX));
    const int64_t product = designed * screenDpi;
    const int64_t half = designDpi / 2;
    const int64_t scaled = product >= 0 ? (product + half) / designDpi : -((-product + half) / designDpi);
    return static_cast<int>(std::clamp<int64_t>(scaled, -1000000, 1000000));
}

int ScaledFontHeight(int designed, int designDpi, int screenDpi) {
    if (designed >= 0 || designDpi == screenDpi || designDpi <= 0 || screenDpi <= 0)
        return ScaledLength(designed, designDpi, screenDpi);
    const int points = ScaledLength(-int64_t{designed}, designDpi, 72);
    return -ScaledLength(points, 72, screenDpi);
}

int DesignDpi(const FormObject& root) {
    const FormValue* stored = root.Find("PixelsPerInch");
    if (!stored || !stored->IsInteger() || stored->integer <= 0 || stored->integer > 10000) return kDesignedDpi;
    return static_cast<int>(stored->integer);
}

bool FollowsParentFont(const FormObject& object) {
    if (const FormValue* stored = object.Find("ParentFont");
        stored && (stored->type == FormValueType::True || stored->type == FormValueType::False))
        return stored->type == FormValueType::True;
    for (const FormProperty& property : object.properties)
        if (property.name.size() > 5 && std::equal(property.name.begin(), property.name.begin() + 5, "font.",
                                                   [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; }))
            return false;
    return true;
}

DesignedFont FontOf(const FormObject& object, const DesignedFont& base, int designDpi) {
    if (StoredTrue(object, "ParentFont")) return base;
    DesignedFont font = base;
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
    if (const FormValue* charset = object.Find("Font.Charset"); charset && charset->IsInteger())
        font.charset = static_cast<int>(charset->integer & 0xFF);
    ApplyIdentifier(object.Find("Font.Charset"), kCharsets, font.charset);
    ApplyIdentifier(object.Find("Font.Pitch"), kPitches, font.pitch);
    ApplyIdentifier(object.Find("Font.Quality"), kQualities, font.quality);
    if (const FormValue* turn = object.Find("Font.Orientation"); turn && turn->IsInteger())
        font.orientation = static_cast<int>(turn->integer % 3600);
    return font;
}

void StoreFontDefault(FormObject& object, std::string_view property) {
    if (object.Find(property)) return;
    std::string name(property);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name == "font.style") object.Set("Font.Style", FormValue::SetOf({}));
    if (name == "font.charset") object.Set("Font.Charset", FormValue::Ident("DEFAULT_CHARSET"));
    if (name == "font.pitch") object.Set("Font.Pitch", FormValue::Ident("fpDefault"));
    if (name == "font.quality") object.Set("Font.Quality", FormValue::Ident("fqDefault"));
}
