#include "keb/LzmaStream.h"

#include <algorithm>

#include "keb/ArchiveError.h"

namespace keb {
namespace {
// Decoding in large steps keeps the per-call overhead off the profile.
constexpr size_t kStep = size_t(1) << 18;
// Packed data is read in large pieces too: every read is a system call, and
// under Wine a positioned read is also a round trip to its server, which on
// a busy machine waits for the server's turn.
constexpr size_t kPackedRead = size_t(1) << 18;

uint32_t Lzma2DictionarySize(const std::vector<uint8_t>& properties) {
    if (properties.size() != 1 || properties[0] > 40) ThrowCorrupt("bad LZMA2 properties");
    unsigned p = properties[0];
    return p == 40 ? 0xFFFFFFFFu : (2u | (p & 1u)) << (p / 2 + 11);
}
}  // namespace

LzmaStream::LzmaStream(InStream& packed, const std::vector<uint8_t>& properties, uint64_t unpackSize)
    : in_(packed, kPackedRead),
      decoder_(WindowSizeFor(ParseLzmaProperties(properties).dictionarySize, unpackSize)),
      remaining_(unpackSize) {
    decoder_.SetProperties(ParseLzmaProperties(properties));
}

size_t LzmaStream::Read(uint8_t* buffer, size_t size) {
    if (decoder_.Untaken() == 0) {
        if (remaining_ == 0) return 0;
        if (!started_) {
            decoder_.StartRange(in_);
            started_ = true;
        }
        size_t produced = decoder_.Produce(in_, static_cast<size_t>(std::min<uint64_t>(remaining_, kStep)));
        if (produced == 0) ThrowCorrupt("LZMA data ends before its size");
        remaining_ -= produced;
    }
    return decoder_.Take(buffer, size);
}

Lzma2Stream::Lzma2Stream(InStream& packed, const std::vector<uint8_t>& properties, uint64_t unpackSize)
    : in_(packed, kPackedRead), decoder_(WindowSizeFor(Lzma2DictionarySize(properties), unpackSize)) {}

bool Lzma2Stream::StartChunk() {
    uint8_t control = in_.ReadByte();
    if (control == 0x00) return false;
    if (control == 0x01 || control == 0x02) {
        if (control == 0x01) {
            decoder_.ResetDictionary();
            needDictionaryReset_ = false;
            needStateReset_ = true;
        }
        if (needDictionaryReset_) ThrowCorrupt("LZMA2 stream without dictionary reset");
        chunkStored_ = true;
        chunkRemaining_ = (uint32_t(in_.ReadByte()) << 8 | in_.ReadByte()) + 1u;
        return true;
    }
    if (control < 0x80) ThrowCorrupt("bad LZMA2 chunk");
    chunkStored_ = false;
    chunkRemaining_ = ((uint32_t(control & 0x1F) << 16) | (uint32_t(in_.ReadByte()) << 8) | in_.ReadByte()) + 1u;
    chunkPackSize_ = ((uint32_t(in_.ReadByte()) << 8) | in_.ReadByte()) + 1u;
    unsigned mode = (control >> 5) & 3;
    if (mode == 3) {
        decoder_.ResetDictionary();
        needDictionaryReset_ = false;
    }
    if (needDictionaryReset_) ThrowCorrupt("LZMA2 stream without dictionary reset");
    // Repeat distances of the old dictionary must not reach into the new one.
    if (mode == 0 && needStateReset_) ThrowCorrupt("LZMA2 chunk without state reset");
    needStateReset_ = false;
    if (mode >= 2) {
        LzmaProperties props;
        if (!DecodeLcLpPb(in_.ReadByte(), props) || props.lc + props.lp > 4) ThrowCorrupt("bad LZMA2 chunk properties");
        decoder_.SetProperties(props);
        haveProperties_ = true;
    } else if (!haveProperties_) {
        ThrowCorrupt("LZMA2 chunk without properties");
    } else if (mode == 1) {
        decoder_.ResetState();
    }
    chunkPackStart_ = in_.Consumed();
    decoder_.StartRange(in_);
    return true;
}

void Lzma2Stream::EndChunk() {
    if (chunkStored_) return;
    decoder_.FinishRange(in_);
    if (in_.Consumed() - chunkPackStart_ != chunkPackSize_ || !decoder_.RangeFinishedCleanly())
        ThrowCorrupt("LZMA2 chunk size mismatch");
}

size_t Lzma2Stream::Read(uint8_t* buffer, size_t size) {
    while (decoder_.Untaken() == 0) {
        if (finished_) return 0;
        if (chunkRemaining_ == 0 && !StartChunk()) {
            finished_ = true;
            return 0;
        }
        size_t step = static_cast<size_t>(std::min<uint64_t>(chunkRemaining_, kStep));
        size_t produced = chunkStored_ ? decoder_.ProduceStored(in_, step) : decoder_.Produce(in_, step);
        if (produced == 0) ThrowCorrupt("LZMA2 chunk ends early");
        chunkRemaining_ -= produced;
        if (chunkRemaining_ == 0) EndChunk();
    }
    return decoder_.Take(buffer, size);
}

}  // namespace keb
