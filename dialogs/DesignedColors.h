#pragma once
// Colours of designed forms: "clRed", "clBtnFace" or a number. A colour value
// is 0x00BBGGRR, or 0x800000NN for the system colour NN (the window system's
// colour index; older designers stored 0xFF0000NN), clNone and clDefault
// being two values of their own.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "dialogs/FormFile.h"

constexpr int64_t kColorNone = 0x1FFFFFFF;
constexpr int64_t kColorDefault = 0x20000000;

// The value of a colour name ("clWindow", letter case ignored) or decimal text.
std::optional<int64_t> ColorFromText(std::string_view text);
// A stored colour (an identifier or an integer); nullopt for another kind or an unknown name.
std::optional<int64_t> ColorFromValue(const FormValue& value);
// The name of a named colour, else the decimal value.
std::string ColorText(int64_t color);

inline bool IsSystemColor(int64_t color) {
    return (color & 0xFF000000) == 0x80000000 || (color & 0xFF000000) == 0xFF000000;
}
inline int SystemColorIndex(int64_t color) { return static_cast<int>(color & 0xFF); }
