#pragma once
#include <cstdint>
#include <vector>

#include "keb/InStream.h"

namespace keb {

// Base of the filters that convert their input in place, block by block
// (the branch converters, Delta, Swap). A filter may leave a few trailing
// bytes of a block for the next one; at the end of the input they pass as
// they are.
class InPlaceFilterStream : public InStream {
public:
    explicit InPlaceFilterStream(InStream& in);
    size_t Read(uint8_t* buffer, size_t size) override;

protected:
    // Converts data[0, size) and returns how many bytes are final.
    virtual size_t Convert(uint8_t* data, size_t size) = 0;

private:
    size_t ReadInPlace(uint8_t* out, size_t size);

    InStream& in_;
    std::vector<uint8_t> buffer_;
    size_t begin_ = 0, converted_ = 0, end_ = 0;
    bool ended_ = false;
};

// The x86 branch converter (BCJ): relative CALL/JMP targets back to relative.
class BcjX86Stream : public InPlaceFilterStream {
public:
    using InPlaceFilterStream::InPlaceFilterStream;

protected:
    size_t Convert(uint8_t* data, size_t size) override;

private:
    uint32_t position_ = 0;  // stream position of data[0]
    uint32_t previousMask_ = 0;
    uint32_t previousPosition_ = uint32_t(0) - 5;
};

// One architecture's branch decoder: converts the whole instructions of
// data[0, size), whose first byte lies at stream position `position`, from
// absolute targets back to relative ones and returns how many bytes are
// final. Bytes that do not make a whole instruction stay for the next block.
using BranchDecoder = size_t (*)(uint8_t* data, size_t size, uint32_t position);

size_t DecodeArm(uint8_t* data, size_t size, uint32_t position);
size_t DecodeArmThumb(uint8_t* data, size_t size, uint32_t position);
size_t DecodeArm64(uint8_t* data, size_t size, uint32_t position);
size_t DecodePowerPc(uint8_t* data, size_t size, uint32_t position);
size_t DecodeSparc(uint8_t* data, size_t size, uint32_t position);
size_t DecodeIa64(uint8_t* data, size_t size, uint32_t position);
size_t DecodeRiscV(uint8_t* data, size_t size, uint32_t position);

// A stateless branch filter (every one but x86): the decoder applied block
// by block. The optional 4-byte property is the stream's start position.
class BranchStream : public InPlaceFilterStream {
public:
    BranchStream(InStream& in, BranchDecoder decoder, const std::vector<uint8_t>& properties);

protected:
    size_t Convert(uint8_t* data, size_t size) override;

private:
    BranchDecoder decoder_;
    uint32_t position_ = 0;
};

// The Swap2/Swap4 filters: the bytes of each 2- or 4-byte word reversed; a
// shorter tail at the end stays as it is.
class SwapStream : public InPlaceFilterStream {
public:
    SwapStream(InStream& in, unsigned width) : InPlaceFilterStream(in), width_(width) {}

protected:
    size_t Convert(uint8_t* data, size_t size) override;

private:
    unsigned width_;
};

// The Delta filter: each byte is stored as its difference to the byte
// `distance` places before it.
class DeltaStream : public InPlaceFilterStream {
public:
    DeltaStream(InStream& in, const std::vector<uint8_t>& properties);

protected:
    size_t Convert(uint8_t* data, size_t size) override;

private:
    unsigned distance_;
    uint8_t history_[256] = {};
    uint8_t position_ = 0;
};

}  // namespace keb
