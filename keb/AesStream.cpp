#include "keb/AesStream.h"

#include <cstring>

#include "keb/ArchiveError.h"

namespace keb {
AesStream::AesStream(InStream& in, const std::array<uint8_t, 32>& key, const std::array<uint8_t, 16>& iv)
    : in_(in), decryptor_(key, iv), buffer_(size_t(1) << 16) {}

size_t AesStream::Read(uint8_t* out, size_t size) {
    while (begin_ == decrypted_) {
        if (ended_) {
            if (end_ != decrypted_) ThrowCorrupt("encrypted data is not a whole number of blocks");
            return 0;
        }
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = decrypted_ = 0;
        while (!ended_ && end_ < buffer_.size()) {
            size_t n = in_.Read(buffer_.data() + end_, buffer_.size() - end_);
            if (n == 0) ended_ = true;
            end_ += n;
        }
        decrypted_ = end_ - end_ % 16;
        if (decrypted_ > 0) decryptor_.Decrypt(buffer_.data(), decrypted_);
    }
    size_t n = std::min(size, decrypted_ - begin_);
    std::memcpy(out, buffer_.data() + begin_, n);
    begin_ += n;
    return n;
}

}  // namespace keb
