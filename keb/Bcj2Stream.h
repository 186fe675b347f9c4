#pragma once
#include <cstdint>
#include <memory>

#include "keb/InStream.h"
#include "keb/InputBuffer.h"

namespace keb {

// The BCJ2 coder: x86 code whose CALL and JMP targets were moved to two
// streams of absolute big-endian addresses, with a range-coded stream saying
// which E8/E9/Jcc opcodes were converted.
class Bcj2Stream : public InStream {
public:
    Bcj2Stream(InStream& main, InStream& calls, InStream& jumps, InStream& rangeCoded);
    size_t Read(uint8_t* buffer, size_t size) override;

private:
    bool DecodeBit(uint16_t& prob);
    uint32_t ReadAddress(InputBuffer& from);

    InputBuffer main_, calls_, jumps_, rc_;
    uint16_t probs_[258];
    uint32_t range_ = 0xFFFFFFFFu, code_ = 0;
    bool started_ = false;
    uint8_t prevByte_ = 0;
    uint8_t opcode_ = 0;
    bool decisionPending_ = false;  // opcode_ was output; its bit is still to be read
    uint32_t position_ = 0;         // bytes output so far
    uint8_t pending_[4] = {};
    unsigned pendingBegin_ = 0, pendingEnd_ = 0;
};

}  // namespace keb
