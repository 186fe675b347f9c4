#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "keb/InputBuffer.h"

namespace keb {

struct LzmaProperties {
    unsigned lc = 3, lp = 0, pb = 2;
    uint32_t dictionarySize = 0;
};

// Splits the lc/lp/pb byte; false when it is out of range.
bool DecodeLcLpPb(uint8_t value, LzmaProperties& props);
// The five property bytes of an LZMA coder.
LzmaProperties ParseLzmaProperties(const std::vector<uint8_t>& bytes);
// Window size for a stream: the dictionary, but never more than the output.
size_t WindowSizeFor(uint64_t dictionarySize, uint64_t unpackSize);

// The LZMA decoding core shared by the LZMA and LZMA2 coders: range decoder,
// probability model and the sliding window. Output is decoded into the
// window and handed out with Take; memory is the window plus the model.
class LzmaDecoder {
public:
    explicit LzmaDecoder(size_t windowSize);

    void SetProperties(const LzmaProperties& props);  // also resets the state
    void ResetState();
    void ResetDictionary();
    // Reads the five range-coder start bytes.
    void StartRange(InputBuffer& in);
    // Performs the final normalisation of a finished range-coded chunk.
    void FinishRange(InputBuffer& in);

    // Decodes up to maxBytes new bytes into the window and returns how many
    // it produced; fewer only at the window's end or at an end marker.
    size_t Produce(InputBuffer& in, size_t maxBytes);
    // Appends stored (uncompressed) bytes to the window; returns the count.
    size_t ProduceStored(InputBuffer& in, size_t maxBytes);
    // Copies produced bytes not yet taken; returns the count.
    size_t Take(uint8_t* out, size_t size);
    size_t Untaken() const { return pos_ - taken_; }
    bool SawEndMarker() const { return endMarker_; }
    bool RangeFinishedCleanly() const { return code_ == 0; }

private:
    size_t PrepareSpace(size_t maxBytes);
    void DecodeSymbols(InputBuffer& in, size_t count);

    struct LengthModel {
        uint16_t choice, choice2;
        uint16_t low[16][8], mid[16][8], high[256];
    };
    struct Model {
        uint16_t isMatch[12][16];
        uint16_t isRep[12], isRepG0[12], isRepG1[12], isRepG2[12];
        uint16_t isRep0Long[12][16];
        uint16_t posSlot[4][64];
        uint16_t posSpecial[114];
        uint16_t align[16];
        LengthModel len, repLen;
    };

    // Left uninitialised: only bytes already decoded are ever read, and a
    // large dictionary costs no memory until it fills.
    std::unique_ptr<uint8_t[]> window_;
    size_t windowSize_;
    size_t pos_ = 0;     // next byte to write in the window
    size_t taken_ = 0;   // bytes before this position were handed out
    uint64_t processed_ = 0;  // bytes since the last dictionary reset
    LzmaProperties props_;
    Model model_{};
    std::vector<uint16_t> literal_;
    uint32_t range_ = 0, code_ = 0;
    uint32_t state_ = 0;
    uint32_t rep0_ = 0, rep1_ = 0, rep2_ = 0, rep3_ = 0;
    size_t pendingLength_ = 0;  // rest of a match cut by the output limit
    bool endMarker_ = false;
};

}  // namespace keb
