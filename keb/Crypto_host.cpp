#include "keb/Crypto.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace keb {

struct Sha256::State {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    ~State() { EVP_MD_CTX_free(ctx); }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    if (!state_->ctx || EVP_DigestInit_ex(state_->ctx, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 is not available");
}

Sha256::~Sha256() = default;

void Sha256::Update(const uint8_t* data, size_t size) { EVP_DigestUpdate(state_->ctx, data, size); }

std::array<uint8_t, 32> Sha256::Final() {
    std::array<uint8_t, 32> digest{};
    unsigned int length = 0;
    EVP_DigestFinal_ex(state_->ctx, digest.data(), &length);
    return digest;
}

struct Aes256CbcDecryptor::State {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    ~State() { EVP_CIPHER_CTX_free(ctx); }
};

Aes256CbcDecryptor::Aes256CbcDecryptor(const std::array<uint8_t, 32>& key, const std::array<uint8_t, 16>& iv)
    : state_(std::make_unique<State>()) {
    if (!state_->ctx || EVP_DecryptInit_ex(state_->ctx, EVP_aes_256_cbc(), nullptr, key.data(), iv.data()) != 1)
        throw std::runtime_error("AES is not available");
    EVP_CIPHER_CTX_set_padding(state_->ctx, 0);  // 7z pads with zeros of its own
}

Aes256CbcDecryptor::~Aes256CbcDecryptor() = default;

void Aes256CbcDecryptor::Decrypt(uint8_t* data, size_t size) {
    int produced = 0;
    if (EVP_DecryptUpdate(state_->ctx, data, &produced, data, static_cast<int>(size)) != 1 ||
        static_cast<size_t>(produced) != size)
        throw std::runtime_error("AES decryption failed");
}

}  // namespace keb
