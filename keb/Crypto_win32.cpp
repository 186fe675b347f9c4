#include "keb/Crypto.h"

#include <windows.h>
#include <bcrypt.h>

#include <stdexcept>

namespace keb {
namespace {

// An algorithm provider, closed on every way out.
class Provider {
public:
    explicit Provider(LPCWSTR algorithm) {
        if (BCryptOpenAlgorithmProvider(&handle_, algorithm, nullptr, 0) != 0)
            throw std::runtime_error("CNG algorithm not available");
    }
    ~Provider() { BCryptCloseAlgorithmProvider(handle_, 0); }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

}  // namespace

struct Sha256::State {
    Provider provider{BCRYPT_SHA256_ALGORITHM};
    BCRYPT_HASH_HANDLE hash = nullptr;
    ~State() {
        if (hash) BCryptDestroyHash(hash);
    }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    if (BCryptCreateHash(state_->provider.get(), &state_->hash, nullptr, 0, nullptr, 0, 0) != 0)
        throw std::runtime_error("SHA-256 is not available");
}

Sha256::~Sha256() = default;

void Sha256::Update(const uint8_t* data, size_t size) {
    if (BCryptHashData(state_->hash, const_cast<PUCHAR>(data), static_cast<ULONG>(size), 0) != 0)
        throw std::runtime_error("SHA-256 failed");
}

std::array<uint8_t, 32> Sha256::Final() {
    std::array<uint8_t, 32> digest{};
    if (BCryptFinishHash(state_->hash, digest.data(), static_cast<ULONG>(digest.size()), 0) != 0)
        throw std::runtime_error("SHA-256 failed");
    return digest;
}

struct Aes256CbcDecryptor::State {
    Provider provider{BCRYPT_AES_ALGORITHM};
    BCRYPT_KEY_HANDLE key = nullptr;
    std::array<uint8_t, 16> iv{};
    ~State() {
        if (key) BCryptDestroyKey(key);
    }
};

Aes256CbcDecryptor::Aes256CbcDecryptor(const std::array<uint8_t, 32>& key, const std::array<uint8_t, 16>& iv)
    : state_(std::make_unique<State>()) {
    state_->iv = iv;
    auto mode = const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_CBC);
    if (BCryptSetProperty(state_->provider.get(), BCRYPT_CHAINING_MODE, reinterpret_cast<PUCHAR>(mode),
                          static_cast<ULONG>((wcslen(mode) + 1) * sizeof(wchar_t)), 0) != 0 ||
        BCryptGenerateSymmetricKey(state_->provider.get(), &state_->key, nullptr, 0, const_cast<PUCHAR>(key.data()),
                                   static_cast<ULONG>(key.size()), 0) != 0)
        throw std::runtime_error("AES is not available");
}

Aes256CbcDecryptor::~Aes256CbcDecryptor() = default;

void Aes256CbcDecryptor::Decrypt(uint8_t* data, size_t size) {
    // CNG updates the IV buffer to the last cipher block, continuing the chain.
    ULONG produced = 0;
    if (BCryptDecrypt(state_->key, data, static_cast<ULONG>(size), nullptr, state_->iv.data(),
                      static_cast<ULONG>(state_->iv.size()), data, static_cast<ULONG>(size), &produced, 0) != 0 ||
        produced != size)
        throw std::runtime_error("AES decryption failed");
}

}  // namespace keb
