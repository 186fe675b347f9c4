#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "keb/Crypto.h"
#include "keb/InStream.h"

namespace keb {

// The 7zAES coder: AES-256-CBC over whole blocks; the padding after the
// unpacked size is cut off by the folder.
class AesStream : public InStream {
public:
    AesStream(InStream& in, const std::array<uint8_t, 32>& key, const std::array<uint8_t, 16>& iv);
    size_t Read(uint8_t* buffer, size_t size) override;

private:
    InStream& in_;
    Aes256CbcDecryptor decryptor_;
    std::vector<uint8_t> buffer_;
    size_t begin_ = 0, decrypted_ = 0, end_ = 0;
    bool ended_ = false;
};

}  // namespace keb
