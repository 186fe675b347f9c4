#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace keb {

// The two primitives 7zAES needs, from the platform's library: Windows CNG
// (bcrypt) in keb.dll, OpenSSL's libcrypto on the host.

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Update(const uint8_t* data, size_t size);
    std::array<uint8_t, 32> Final();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// AES-256 in CBC mode, decrypting whole 16-byte blocks in place; the chain
// carries on from one call to the next.
class Aes256CbcDecryptor {
public:
    Aes256CbcDecryptor(const std::array<uint8_t, 32>& key, const std::array<uint8_t, 16>& iv);
    ~Aes256CbcDecryptor();
    Aes256CbcDecryptor(const Aes256CbcDecryptor&) = delete;
    Aes256CbcDecryptor& operator=(const Aes256CbcDecryptor&) = delete;

    void Decrypt(uint8_t* data, size_t size);  // size is a multiple of 16

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace keb
