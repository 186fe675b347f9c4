#pragma once
#include <memory>
#include <vector>

#include "keb/InStream.h"
#include "keb/InputBuffer.h"
#include "keb/LzmaDecoder.h"

namespace keb {

// The LZMA coder: a range-coded stream without end marker, ended by its
// known unpacked size.
class LzmaStream : public InStream {
public:
    LzmaStream(InStream& packed, const std::vector<uint8_t>& properties, uint64_t unpackSize);
    size_t Read(uint8_t* buffer, size_t size) override;

private:
    InputBuffer in_;
    LzmaDecoder decoder_;
    uint64_t remaining_;
    bool started_ = false;
};

// The LZMA2 coder: a sequence of LZMA and stored chunks with resets.
class Lzma2Stream : public InStream {
public:
    Lzma2Stream(InStream& packed, const std::vector<uint8_t>& properties, uint64_t unpackSize);
    size_t Read(uint8_t* buffer, size_t size) override;

private:
    bool StartChunk();  // false at the end marker
    void EndChunk();

    InputBuffer in_;
    LzmaDecoder decoder_;
    uint64_t chunkRemaining_ = 0;
    uint64_t chunkPackStart_ = 0;
    uint32_t chunkPackSize_ = 0;
    bool chunkStored_ = false;
    bool needDictionaryReset_ = true;
    bool needStateReset_ = true;  // after a dictionary reset, before the next LZMA chunk
    bool haveProperties_ = false;
    bool finished_ = false;
};

}  // namespace keb
