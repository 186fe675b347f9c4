#pragma once
#include <array>
#include <cstdint>
#include <string_view>

// The installer's progress messages ("1: a 2: b 3: c 4: d ", fields may be
// missing) turned into a position within a total.

using ProgressFields = std::array<int32_t, 4>;

// Reads up to four fields. Missing fields are 0; a field that is not a
// signed 32-bit decimal number makes all four 0.
ProgressFields ReadProgressFields(std::string_view message);

struct InstallerProgress {
    int64_t position = 0;
    int64_t total = 0;
    int32_t step = 0;       // ticks added per action-data message
    int32_t direction = 1;  // +1 forward, -1 backward (rollback)

    // Field a selects: 0 reset, 1 action information, 2 progress report,
    // 3 total addition. Position and total are not clamped.
    void Apply(const ProgressFields& fields);
    void ActionData() { position += step; }
};
