#include "keb/InputBuffer.h"

#include <cstring>

#include "keb/ArchiveError.h"

namespace keb {

InputBuffer::InputBuffer(InStream& source, size_t capacity)
    : source_(source), buffer_(capacity + kPadding, 0), capacity_(capacity) {
    cur = end = buffer_.data();
}

void InputBuffer::Fill() {
    if (ended_) return;
    uint8_t* data = buffer_.data();
    size_t keep = cur < end ? static_cast<size_t>(end - cur) : 0;
    size_t consumed = static_cast<size_t>(cur - data);
    std::memmove(data, cur, keep);
    base_ += consumed;
    size_t have = keep;
    while (have < capacity_) {
        size_t n = source_.Read(data + have, capacity_ - have);
        if (n == 0) {
            ended_ = true;
            break;
        }
        have += n;
    }
    cur = data;
    end = data + have;
    std::memset(data + have, 0, kPadding);
}

bool InputBuffer::Ensure(size_t size) {
    if (static_cast<size_t>(end - cur) < size && cur <= end) Fill();
    return cur <= end && static_cast<size_t>(end - cur) >= size;
}

void InputBuffer::CheckNotOverrun() const {
    if (Overrun()) ThrowCorrupt("compressed data ends too early");
}

uint8_t InputBuffer::ReadByte() {
    if (!Ensure(1)) ThrowCorrupt("compressed data ends too early");
    return *cur++;
}

}  // namespace keb
