// "Mathematics": 32-bit integer arithmetic with wrap-around, character codes
// and a small linear congruential generator that lives as long as the engine.
#include <cstdint>
#include <optional>

#include "script/CommandTable.h"
#include "script/commands/CommandFamilies.h"
#include "system/TextUtils.h"

namespace {

struct Generator {
    int32_t multiplier = 0;
    int32_t increment = 0;
    int32_t seed = 0;
};

Generator& TheGenerator() {
    static Generator generator;
    return generator;
}

int32_t Wrap(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value))); }

// Division and remainder fail where the processor's would: by zero, and
// the one quotient that does not fit.
bool DivisionFails(int32_t a, int32_t b) { return b == 0 || (a == INT32_MIN && b == -1); }

std::optional<std::string> Compute(const CommandContext& c) {
    const auto operation = ParseInt32(c.Expanded(3));
    if (!operation) return std::nullopt;
    const int code = *operation;
    if (code == 11) {
        const std::string text = c.Expanded(1);
        if (text.empty()) return std::nullopt;
        return std::to_string(static_cast<unsigned char>(text[0]));
    }
    const auto a = ParseInt32(c.Expanded(1));
    if (!a) return std::nullopt;
    std::optional<int32_t> b;
    if (code <= 9 || code == 13) {
        b = ParseInt32(c.Expanded(2));
        if (!b) return std::nullopt;
    }
    const auto ua = static_cast<uint32_t>(*a);
    Generator& g = TheGenerator();
    int32_t result;
    switch (code) {
    case 0: result = Wrap(int64_t(*a) + *b); break;
    case 1: result = Wrap(int64_t(*a) - *b); break;
    case 2: result = Wrap(int64_t(*a) * *b); break;
    case 3:
        if (DivisionFails(*a, *b)) return std::nullopt;
        result = *a / *b;
        break;
    case 4:
        if (DivisionFails(*a, *b)) return std::nullopt;
        result = *a % *b;
        break;
    case 5: result = *a & *b; break;
    case 6: result = *a | *b; break;
    case 7: result = *a ^ *b; break;
    case 8: result = static_cast<int32_t>(ua << (*b & 31)); break;
    case 9: result = static_cast<int32_t>(ua >> (*b & 31)); break;
    case 10: result = ~*a; break;
    case 12: return std::string(1, static_cast<char>(ua & 0xFF));
    case 13:
        g.multiplier = *a;
        g.increment = *b;
        result = Wrap(int64_t(*a) + *b);
        break;
    case 14:
        g.seed = *a;
        result = *a;
        break;
    case 15: {
        if (DivisionFails(0, *a)) return std::nullopt;
        const int32_t x = Wrap(int64_t(g.multiplier) * g.seed + g.increment);
        g.seed = x % 32767;
        result = *a == -1 ? 0 : x % *a;
        break;
    }
    default: return std::nullopt;
    }
    return std::to_string(result);
}

void Mathematics(CommandContext& c) {
    // Computed even without a result variable: the generator operations count.
    const auto result = Compute(c);
    if (!c.Raw(4).empty()) c.SetResult(c.Raw(4), result.value_or(""));
}

}  // namespace

void RegisterMathematicsCommand(CommandTable& table) { table.Register("Mathematics", Mathematics); }
