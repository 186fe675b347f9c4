#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "keb/Crypto.h"
#include "keb/InStream.h"

namespace keb {

// The key 7zAES derives from the password (UTF-16LE) with the salt and the
// cycle count stored in the coder properties; also yields the IV.
struct AesKey {
    std::array<uint8_t, 32> key{};
    std::array<uint8_t, 16> iv{};
};
AesKey DeriveAesKey(const std::vector<uint8_t>& properties, const std::string& ansiPassword);

// The 7zAES coder: AES-256-CBC over whole blocks; the padding after the
// unpacked size is cut off by the folder.
class AesStream : public InStream {
public:
    AesStream(InStream& in, const AesKey& key);
    size_t Read(uint8_t* buffer, size_t size) override;

private:
    InStream& in_;
    Aes256CbcDecryptor decryptor_;
    std::vector<uint8_t> buffer_;
    size_t begin_ = 0, decrypted_ = 0, end_ = 0;
    bool ended_ = false;
};

}  // namespace keb
