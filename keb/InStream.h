#pragma once
#include <cstddef>
#include <cstdint>

namespace keb {

// A source of bytes pulled by the decoders. Read returns fewer bytes than
// asked only at the end of the stream, and 0 once the stream is exhausted.
class InStream {
public:
    virtual ~InStream() = default;
    virtual size_t Read(uint8_t* buffer, size_t size) = 0;
};

// Reads until the buffer is full or the stream ends; returns the count.
inline size_t ReadFully(InStream& in, uint8_t* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        size_t n = in.Read(buffer + done, size - done);
        if (n == 0) break;
        done += n;
    }
    return done;
}

}  // namespace keb
