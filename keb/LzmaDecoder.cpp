#include "keb/LzmaDecoder.h"

#include <algorithm>
#include <cstring>

#include "keb/ArchiveError.h"

namespace keb {
namespace {

constexpr uint32_t kTop = 1u << 24;
constexpr uint32_t kProbBits = 11;
constexpr uint32_t kProbInit = (1u << kProbBits) / 2;
constexpr uint32_t kMoveBits = 5;
constexpr uint32_t kZeroUpdateOffset = (1u << kProbBits) - (1u << kMoveBits) + 1;
constexpr unsigned kLiteralStates = 7;
constexpr unsigned kEndPosModelIndex = 14;
// Most input one symbol can consume: one byte per decoded bit at worst.
constexpr ptrdiff_t kMaxSymbolInput = 48;
static_assert(kMaxSymbolInput <= ptrdiff_t(InputBuffer::kPadding));

template <typename T>
void FillProbabilities(T& array) {
    uint16_t* p = reinterpret_cast<uint16_t*>(&array);
    std::fill(p, p + sizeof(T) / sizeof(uint16_t), uint16_t(kProbInit));
}

}  // namespace

bool DecodeLcLpPb(uint8_t value, LzmaProperties& props) {
    if (value >= 9 * 5 * 5) return false;
    props.lc = value % 9;
    value /= 9;
    props.lp = value % 5;
    props.pb = value / 5;
    return true;
}

LzmaProperties ParseLzmaProperties(const std::vector<uint8_t>& bytes) {
    LzmaProperties props;
    if (bytes.size() < 5 || !DecodeLcLpPb(bytes[0], props)) ThrowCorrupt("bad LZMA properties");
    props.dictionarySize = uint32_t(bytes[1]) | uint32_t(bytes[2]) << 8 | uint32_t(bytes[3]) << 16 |
                           uint32_t(bytes[4]) << 24;
    return props;
}

size_t WindowSizeFor(uint64_t dictionarySize, uint64_t unpackSize) {
    uint64_t size = std::min(std::max<uint64_t>(dictionarySize, 4096), std::max<uint64_t>(unpackSize, 1));
    if (size > (uint64_t(1) << 31)) size = uint64_t(1) << 31;  // the format's own upper bound in practice
    return static_cast<size_t>(size);
}

LzmaDecoder::LzmaDecoder(size_t windowSize) : window_(new uint8_t[windowSize]), windowSize_(windowSize) {}

void LzmaDecoder::SetProperties(const LzmaProperties& props) {
    props_ = props;
    literal_.assign(size_t(0x300) << (props.lc + props.lp), uint16_t(kProbInit));
    ResetState();
}

void LzmaDecoder::ResetState() {
    FillProbabilities(model_);
    std::fill(literal_.begin(), literal_.end(), uint16_t(kProbInit));
    state_ = 0;
    rep0_ = rep1_ = rep2_ = rep3_ = 0;
    pendingLength_ = 0;
    endMarker_ = false;
}

void LzmaDecoder::ResetDictionary() {
    processed_ = 0;
    pendingLength_ = 0;
}

void LzmaDecoder::StartRange(InputBuffer& in) {
    if (!in.Ensure(5)) ThrowCorrupt("compressed data ends too early");
    if (in.cur[0] != 0) ThrowCorrupt("bad range coder start");
    code_ = uint32_t(in.cur[1]) << 24 | uint32_t(in.cur[2]) << 16 | uint32_t(in.cur[3]) << 8 | in.cur[4];
    range_ = 0xFFFFFFFFu;
    in.cur += 5;
}

void LzmaDecoder::FinishRange(InputBuffer& in) {
    if (range_ < kTop) {
        if (!in.Ensure(1)) ThrowCorrupt("compressed data ends too early");
        range_ <<= 8;
        code_ = (code_ << 8) | *in.cur++;
    }
}

size_t LzmaDecoder::PrepareSpace(size_t maxBytes) {
    if (pos_ == windowSize_ && taken_ == pos_) pos_ = taken_ = 0;
    return std::min(maxBytes, windowSize_ - pos_);
}

size_t LzmaDecoder::Produce(InputBuffer& in, size_t maxBytes) {
    size_t count = PrepareSpace(maxBytes);
    size_t start = pos_;
    if (count > 0 && !endMarker_) DecodeSymbols(in, count);
    return pos_ - start;
}

size_t LzmaDecoder::ProduceStored(InputBuffer& in, size_t maxBytes) {
    size_t count = PrepareSpace(maxBytes);
    if (count == 0) return 0;
    if (!in.Ensure(1)) ThrowCorrupt("stored chunk ends too early");
    count = std::min(count, static_cast<size_t>(in.end - in.cur));
    std::memcpy(window_.get() + pos_, in.cur, count);
    in.cur += count;
    pos_ += count;
    processed_ += count;
    return count;
}

size_t LzmaDecoder::Take(uint8_t* out, size_t size) {
    size_t n = std::min(size, pos_ - taken_);
    std::memcpy(out, window_.get() + taken_, n);
    taken_ += n;
    return n;
}

// The hot loop. The range coder, the window position and the repeat
// distances live in locals; the macros keep every bit decode inline.
#define RC_NORMALIZE                         \
    if (range < kTop) {                      \
        range <<= 8;                         \
        code = (code << 8) | *in++;          \
    }
#define RC_BIT(probPtr, onZero, onOne)                               \
    {                                                                \
        uint16_t* p_ = (probPtr);                                    \
        uint32_t v_ = *p_;                                           \
        RC_NORMALIZE;                                                \
        uint32_t bound_ = (range >> kProbBits) * v_;                 \
        if (code < bound_) {                                         \
            range = bound_;                                          \
            *p_ = uint16_t(v_ + (((1u << kProbBits) - v_) >> kMoveBits)); \
            onZero;                                                  \
        } else {                                                     \
            range -= bound_;                                         \
            code -= bound_;                                          \
            *p_ = uint16_t(v_ - (v_ >> kMoveBits));                  \
            onOne;                                                   \
        }                                                            \
    }
// Bits of literals and of distances are hard to predict: decoded without
// branches. The compiler turns conditional expressions back into
// jumps, so the choice is made with a mask (all ones after a one). Both
// probability updates are one formula, v - ((v - offset) >> 5) with an
// arithmetic shift: offset 0 after a one, 2048 - 32 + 1 after a zero.
// The bit of probability v (already loaded from prob); leaves mask all ones
// after a one and zero after a zero.
#define RC_LOADED_BIT(prob, v, mask, symbol)                                                 \
    {                                                                                        \
        RC_NORMALIZE;                                                                        \
        uint32_t bound_ = (range >> kProbBits) * v;                                          \
        mask = 0u - uint32_t(code >= bound_);                                                \
        range = bound_ + ((range - bound_ - bound_) & mask);                                 \
        code -= bound_ & mask;                                                               \
        *(prob) = uint16_t(v - uint32_t((int32_t(v) - int32_t(kZeroUpdateOffset & ~mask)) >> kMoveBits)); \
        symbol = symbol + symbol - mask;                                                     \
    }
#define RC_SYMBOL_BIT(probPtr, symbol)                                                       \
    {                                                                                        \
        uint16_t* p_ = (probPtr);                                                            \
        uint32_t v_ = *p_, mask_;                                                            \
        RC_LOADED_BIT(p_, v_, mask_, symbol);                                                \
    }
// A literal bit whose probability v (at prob) is already loaded: both
// children's probabilities are read before the bit is known, so that the
// next bit does not wait for a load that depends on this one.
#define RC_LITERAL_BIT_AHEAD(prob, v, zeroNext, oneNext, symbol)                             \
    {                                                                                        \
        uint32_t zeroNext_ = (zeroNext), oneNext_ = (oneNext), mask_;                        \
        RC_LOADED_BIT(prob, v, mask_, symbol);                                               \
        v = zeroNext_ ^ ((zeroNext_ ^ oneNext_) & mask_);                                    \
    }
// A plain literal's children lie side by side: read as one word, which
// leaves i686 one register more. The last bit's read stays inside the
// literal's 0x300 slots.
#define RC_LITERAL_BIT(probs, symbol, v)                                                     \
    {                                                                                        \
        uint32_t children_, mask_;                                                           \
        std::memcpy(&children_, &(probs)[symbol + symbol], sizeof children_);                \
        RC_LOADED_BIT(&(probs)[symbol], v, mask_, symbol);                                   \
        v = uint16_t(children_ >> (mask_ & 16));                                             \
    }
#if defined(__GNUC__) && defined(__i386__) && !defined(__OPTIMIZE_SIZE__)
// i686 has seven registers, and the compiler spills the range coder's code,
// the symbol and the probabilities of the formula above to the stack, which
// puts a store and a load on the chain from bit to bit. The same steps with
// all seven in registers and the table's base left in memory: the compare's
// borrow gives the bit, the mask and both selections. 2017 is
// kZeroUpdateOffset. A build for size (the launcher's) keeps the C version:
// there the seventh register is not free.
static_assert(kZeroUpdateOffset == 2017 && kProbBits == 11 && kMoveBits == 5);
#undef RC_LITERAL_BIT
#define RC_LITERAL_BIT(probs, symbol, v)                                                     \
    {                                                                                        \
        RC_NORMALIZE;                                                                        \
        uint32_t children_, bound_, mask_;                                                   \
        __asm__("movl %[base], %[mask]\n\t"                                                  \
                "movl (%[mask],%[sym],4), %[children]\n\t"                                   \
                "movl %[range], %[bound]\n\t"                                               \
                "shrl $11, %[bound]\n\t"                                                    \
                "imull %[v], %[bound]\n\t"                                                  \
                "subl %[bound], %[range]\n\t"                                               \
                "subl %[bound], %[code]\n\t"                                                \
                "cmovbl %[bound], %[range]\n\t"                                             \
                "leal (%[code],%[bound]), %[mask]\n\t"                                      \
                "cmovbl %[mask], %[code]\n\t"                                               \
                "sbbl %[mask], %[mask]\n\t"                                                 \
                "movl %[mask], %[bound]\n\t"                                                \
                "andl $2017, %[bound]\n\t"                                                  \
                "negl %[bound]\n\t"                                                         \
                "addl %[v], %[bound]\n\t"                                                   \
                "sarl $5, %[bound]\n\t"                                                     \
                "subl %[bound], %[v]\n\t"                                                   \
                "movl %[base], %[bound]\n\t"                                                \
                "movw %w[v], (%[bound],%[sym],2)\n\t"                                       \
                "leal 1(%[sym],%[sym]), %[sym]\n\t"                                         \
                "addl %[mask], %[sym]\n\t"                                                  \
                "movl %[children], %[bound]\n\t"                                            \
                "shrl $16, %[bound]\n\t"                                                    \
                "movzwl %w[children], %[v]\n\t"                                             \
                "testl %[mask], %[mask]\n\t"                                                \
                "cmovzl %[bound], %[v]"                                                      \
                : [range] "+r"(range), [code] "+r"(code), [sym] "+r"(symbol), [v] "+r"(v),     \
                  [children] "=&r"(children_), [bound] "=&r"(bound_), [mask] "=&r"(mask_)    \
                : [base] "m"(probs)                                                          \
                : "cc", "memory");                                                           \
    }
#endif
// Length and slot trees: a fixed bit count, unrolled by the compiler. Their
// bits are skewed (short lengths, a few slots), so branches predict well and
// keep the next bit off the previous one's dependency chain.
#define RC_TREE(probs, bits, result)                                   \
    {                                                                  \
        uint32_t m_ = 1;                                               \
        for (unsigned i_ = 0; i_ < (bits); ++i_) RC_BIT(&(probs)[m_], m_ += m_, m_ += m_ + 1); \
        result = m_ - (1u << (bits));                                  \
    }
// Distance bits, lowest first: as random as symbol bits, so also branchless.
#define RC_REVERSE_BIT(probs, m, value, shift)      \
    {                                               \
        uint32_t before_ = m;                       \
        RC_SYMBOL_BIT(&(probs)[m], m);              \
        value |= (m - before_ - before_) << (shift); \
    }

void LzmaDecoder::DecodeSymbols(InputBuffer& inBuf, size_t count) {
    uint8_t* const dict = window_.get();
    const size_t windowSize = windowSize_;
    size_t pos = pos_;
    const size_t limit = pos + count;
    // The loop needs the processed count only as its low bits (position
    // state, literal position) and as the bytes a match may reach (at most
    // the window): both in 32-bit arithmetic plus pos, as i686 keeps one
    // register for each and not a pair. Unsigned wrap-around cancels out.
    const uint32_t lowBase = uint32_t(processed_) - uint32_t(pos);
    const size_t reachBase = size_t(std::min<uint64_t>(processed_, windowSize)) - pos;
    const uint32_t pbMask = (1u << props_.pb) - 1;
    const uint32_t lpMask = (1u << props_.lp) - 1;
    const unsigned lc = props_.lc;
    uint16_t* const literal = literal_.data();
    Model& m = model_;

    uint32_t range = range_, code = code_, state = state_;
    uint32_t rep0 = rep0_, rep1 = rep1_, rep2 = rep2_, rep3 = rep3_;
    const uint8_t* in = inBuf.cur;
    const uint8_t* inEnd = inBuf.end;

    auto copyMatch = [&](size_t length) {
        size_t src = pos > rep0 ? pos - rep0 - 1 : pos + windowSize - rep0 - 1;
        uint8_t* d = dict + pos;
        pos += length;
        if (src + length <= windowSize) {
            const uint8_t* s = dict + src;
            // Eight bytes at a time when the source lies that far back.
            if (rep0 >= 7) {
                for (; length >= 8; length -= 8, d += 8, s += 8) std::memcpy(d, s, 8);
            }
            for (; length > 0; --length) *d++ = *s++;
            return;
        }
        while (length--) {
            *d++ = dict[src++];
            if (src == windowSize) src = 0;
        }
    };

    if (pendingLength_ > 0) {
        size_t n = std::min(pendingLength_, limit - pos);
        copyMatch(n);
        pendingLength_ -= n;
    }
    // The byte before pos, kept in a local instead of read back per literal.
    uint32_t prevByte = reachBase + pos > 0 ? dict[pos > 0 ? pos - 1 : windowSize - 1] : 0;

    // Symbols decodable before the input could run short: counted down
    // instead of comparing pointers per symbol.
    ptrdiff_t budget = 0;
    while (pos < limit) {
        if (budget-- <= 0) {
            if (inEnd - in < kMaxSymbolInput) {
                inBuf.cur = in;
                if (inBuf.cur > inBuf.end) ThrowCorrupt("compressed data ends too early");
                inBuf.Fill();
                in = inBuf.cur;
                inEnd = inBuf.end;
            }
            budget = (inEnd - in) / kMaxSymbolInput - 1;
        }
        const uint32_t low = lowBase + uint32_t(pos);
        const uint32_t posState = low & pbMask;

        bool isMatch = false;
        RC_BIT(&m.isMatch[state][posState], , isMatch = true);
        if (!isMatch) {
            uint16_t* probs =
                literal + 0x300 * (((low & lpMask) << lc) + (prevByte >> (8 - lc)));
            uint32_t symbol = 1;
            if (state < kLiteralStates) {
                // Always eight bits: unrolled, without a loop test per bit.
                uint32_t v = probs[1];
                RC_LITERAL_BIT(probs, symbol, v);
                RC_LITERAL_BIT(probs, symbol, v);
                RC_LITERAL_BIT(probs, symbol, v);
                RC_LITERAL_BIT(probs, symbol, v);
                RC_LITERAL_BIT(probs, symbol, v);
                RC_LITERAL_BIT(probs, symbol, v);
                RC_LITERAL_BIT(probs, symbol, v);
                RC_LITERAL_BIT(probs, symbol, v);
            } else {
                size_t src = pos > rep0 ? pos - rep0 - 1 : pos + windowSize - rep0 - 1;
                uint32_t matchByte = uint32_t(dict[src]) << 1;
                uint32_t offset = 0x100;
                uint32_t matchBit = matchByte & offset;
                matchByte <<= 1;
                uint32_t v = probs[offset + matchBit + symbol];
                // The next bit's offset is offset ^ matchBit after a zero and
                // matchBit after a one; the eighth bit has no next.
                for (int bit = 0; bit < 7; ++bit) {
                    uint32_t zeroOffset = offset ^ matchBit, oneOffset = matchBit;
                    RC_LITERAL_BIT_AHEAD(&probs[offset + matchBit + symbol], v,
                                         probs[zeroOffset + (matchByte & zeroOffset) + symbol + symbol],
                                         probs[oneOffset + (matchByte & oneOffset) + symbol + symbol + 1], symbol);
                    offset = zeroOffset ^ ((zeroOffset ^ oneOffset) & (0u - (symbol & 1)));
                    matchBit = matchByte & offset;
                    matchByte <<= 1;
                }
                RC_SYMBOL_BIT(&probs[offset + matchBit + symbol], symbol);
            }
            prevByte = symbol & 0xFF;
            dict[pos++] = uint8_t(prevByte);
            state = state < 4 ? 0 : (state < 10 ? state - 3 : state - 6);
            continue;
        }

        uint32_t length;
        LengthModel* lengthModel;
        bool isRep = false;
        RC_BIT(&m.isRep[state], , isRep = true);
        if (isRep) {
            if (reachBase + pos == 0) ThrowCorrupt("repeat before any data");
            bool notRep0 = false;
            RC_BIT(&m.isRepG0[state], , notRep0 = true);
            if (!notRep0) {
                bool longRep = false;
                RC_BIT(&m.isRep0Long[state][posState], , longRep = true);
                if (!longRep) {
                    if (rep0 >= reachBase + pos) ThrowCorrupt("match distance beyond the data");
                    state = state < kLiteralStates ? 9 : 11;
                    size_t src = pos > rep0 ? pos - rep0 - 1 : pos + windowSize - rep0 - 1;
                    prevByte = dict[src];
                    dict[pos++] = uint8_t(prevByte);
                    continue;
                }
            } else {
                uint32_t distance;
                bool notRep1 = false;
                RC_BIT(&m.isRepG1[state], , notRep1 = true);
                if (!notRep1) {
                    distance = rep1;
                } else {
                    bool notRep2 = false;
                    RC_BIT(&m.isRepG2[state], , notRep2 = true);
                    if (!notRep2) {
                        distance = rep2;
                    } else {
                        distance = rep3;
                        rep3 = rep2;
                    }
                    rep2 = rep1;
                }
                rep1 = rep0;
                rep0 = distance;
            }
            // The source is known before its length: its line is fetched
            // while the length is decoded.
            if (rep0 < pos) __builtin_prefetch(dict + pos - rep0 - 1);
            state = state < kLiteralStates ? 8 : 11;
            lengthModel = &m.repLen;
        } else {
            rep3 = rep2;
            rep2 = rep1;
            rep1 = rep0;
            state = state < kLiteralStates ? 7 : 10;
            lengthModel = &m.len;
        }

        {
            LengthModel& lm = *lengthModel;
            bool high = false;
            RC_BIT(&lm.choice, , high = true);
            if (!high) {
                RC_TREE(lm.low[posState], 3, length);
            } else {
                bool highest = false;
                RC_BIT(&lm.choice2, , highest = true);
                if (!highest) {
                    RC_TREE(lm.mid[posState], 3, length);
                    length += 8;
                } else {
                    RC_TREE(lm.high, 8, length);
                    length += 16;
                }
            }
        }

        if (!isRep) {
            uint32_t slot;
            RC_TREE(m.posSlot[length < 4 ? length : 3], 6, slot);
            uint32_t distance = slot;
            if (slot >= 4) {
                unsigned directBits = (slot >> 1) - 1;
                distance = (2 | (slot & 1)) << directBits;
                if (slot < kEndPosModelIndex) {
                    uint16_t* probs = m.posSpecial + distance - slot - 1;
                    uint32_t mm = 1;
                    for (unsigned i = 0; i < directBits; ++i) RC_REVERSE_BIT(probs, mm, distance, i);
                } else {
                    uint32_t direct = 0;
                    for (unsigned i = 0; i < directBits - 4; ++i) {
                        RC_NORMALIZE;
                        range >>= 1;
                        code -= range;
                        uint32_t t = 0u - (code >> 31);
                        code += range & t;
                        direct = (direct << 1) + (t + 1);
                    }
                    distance += direct << 4;
                    // The source is known but for its last four bits: its
                    // line is fetched while they are decoded.
                    if (distance < pos) __builtin_prefetch(dict + pos - distance - 1);
                    uint32_t mm = 1;
                    for (unsigned i = 0; i < 4; ++i) RC_REVERSE_BIT(m.align, mm, distance, i);
                    if (distance == 0xFFFFFFFFu) {
                        endMarker_ = true;
                        break;
                    }
                }
            }
            rep0 = distance;
        }

        if (rep0 >= reachBase + pos || rep0 >= windowSize) ThrowCorrupt("match distance beyond the data");
        size_t total = size_t(length) + 2;
        size_t now = std::min(total, limit - pos);
        copyMatch(now);
        prevByte = dict[pos - 1];
        pendingLength_ = total - now;
    }

    inBuf.cur = in;
    if (inBuf.cur > inBuf.end) ThrowCorrupt("compressed data ends too early");
    range_ = range;
    code_ = code;
    state_ = state;
    rep0_ = rep0;
    rep1_ = rep1;
    rep2_ = rep2;
    rep3_ = rep3;
    processed_ += pos - pos_;
    pos_ = pos;
}

#undef RC_REVERSE_BIT
#undef RC_TREE
#undef RC_LITERAL_BIT
#undef RC_LITERAL_BIT_AHEAD
#undef RC_LOADED_BIT
#undef RC_SYMBOL_BIT
#undef RC_BIT
#undef RC_NORMALIZE

}  // namespace keb
