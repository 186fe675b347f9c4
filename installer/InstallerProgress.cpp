#include "installer/InstallerProgress.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace {
bool ReadDecimal(std::string_view text, int32_t& value) {
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty();
}

int64_t Magnitude(int32_t value) { return std::llabs(static_cast<int64_t>(value)); }
}  // namespace

ProgressFields ReadProgressFields(std::string_view message) {
    ProgressFields fields{};
    for (int32_t& field : fields) {
        size_t colon = message.find(':');
        if (colon == std::string_view::npos) break;
        message.remove_prefix(std::min(colon + 2, message.size()));
        std::string_view text = message.substr(0, message.find(' '));
        if (!ReadDecimal(text, field)) return ProgressFields{};
    }
    return fields;
}

void InstallerProgress::Apply(const ProgressFields& fields) {
    const auto [kind, b, c, d] = fields;
    switch (kind) {
    case 0:
        if (b != 0) total = Magnitude(b);
        position = 0;
        if (c == 0) direction = 1;
        if (c == 1) direction = -1;
        break;
    case 1:
        if (c == 0) step = 0;
        if (c == 1) step = b;
        break;
    case 2:
        position += static_cast<int64_t>(direction) * b;
        break;
    case 3:
        total += Magnitude(b);
        break;
    default:
        break;
    }
}
