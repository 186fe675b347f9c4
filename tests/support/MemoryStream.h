#pragma once
// An input stream over bytes in memory for the decoder tests.
#include <algorithm>
#include <cstring>
#include <string>

#include "keb/InStream.h"

class MemoryStream : public keb::InStream {
public:
    // Reads come in pieces of at most `piece` bytes: odd sizes exercise the decoders' refills.
    explicit MemoryStream(std::string data, size_t piece = 7777) : data_(std::move(data)), piece_(piece) {}
    size_t Read(uint8_t* buffer, size_t size) override {
        size_t n = std::min({size, data_.size() - pos_, piece_});
        std::memcpy(buffer, data_.data() + pos_, n);
        pos_ += n;
        return n;
    }

private:
    std::string data_;
    size_t piece_;
    size_t pos_ = 0;
};
