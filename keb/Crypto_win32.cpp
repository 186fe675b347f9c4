#include "keb/Crypto.h"

#include <windows.h>
#include <bcrypt.h>

#include <stdexcept>
#include <string>

namespace keb {
namespace {

struct ModuleFreer {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using OwnedModule = std::unique_ptr<HINSTANCE__, ModuleFreer>;

// A library of the system folder by its file name; throws when it cannot be loaded.
OwnedModule LoadFromSystemFolder(const char* fileName) {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    OwnedModule module;
    if (length > 0 && length < MAX_PATH) {
        const std::string path = std::string(folder, length) + "\\" + fileName;
        module.reset(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    }
    if (!module) throw std::runtime_error(std::string(fileName) + " is not available");
    return module;
}

// bcrypt.dll from the system folder, bound at run time: keb.dll imports at load
// time only libraries Windows always takes from the system folder, and an
// import of bcrypt.dll would be looked for first in keb.dll's own folder, the
// folder of a downloaded setup. Each object that needs it holds it, so it is
// never freed while keb.dll itself is being unloaded.
class Cng {
    OwnedModule module_ = LoadFromSystemFolder("bcrypt.dll");  // first: the functions are bound from it

    template <typename Function>
    Function Bind(const char* name) const {
        FARPROC address = GetProcAddress(module_.get(), name);
        if (!address) throw std::runtime_error(std::string("bcrypt.dll lacks ") + name);
        return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
    }

public:
#define KEB_CNG_FUNCTION(name) const decltype(&::BCrypt##name) name = Bind<decltype(&::BCrypt##name)>("BCrypt" #name)
    KEB_CNG_FUNCTION(OpenAlgorithmProvider);
    KEB_CNG_FUNCTION(CloseAlgorithmProvider);
    KEB_CNG_FUNCTION(SetProperty);
    KEB_CNG_FUNCTION(CreateHash);
    KEB_CNG_FUNCTION(HashData);
    KEB_CNG_FUNCTION(FinishHash);
    KEB_CNG_FUNCTION(DestroyHash);
    KEB_CNG_FUNCTION(GenerateSymmetricKey);
    KEB_CNG_FUNCTION(Decrypt);
    KEB_CNG_FUNCTION(DestroyKey);
#undef KEB_CNG_FUNCTION
};

// An algorithm provider, closed on every way out.
class Provider {
public:
    Provider(const Cng& cng, LPCWSTR algorithm) : cng_(cng) {
        if (cng_.OpenAlgorithmProvider(&handle_, algorithm, nullptr, 0) != 0)
            throw std::runtime_error("CNG algorithm not available");
    }
    ~Provider() { cng_.CloseAlgorithmProvider(handle_, 0); }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

private:
    const Cng& cng_;
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

}  // namespace

struct Sha256::State {
    Cng cng;
    Provider provider{cng, BCRYPT_SHA256_ALGORITHM};
    BCRYPT_HASH_HANDLE hash = nullptr;
    ~State() {
        if (hash) cng.DestroyHash(hash);
    }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    if (state_->cng.CreateHash(state_->provider.get(), &state_->hash, nullptr, 0, nullptr, 0, 0) != 0)
        throw std::runtime_error("SHA-256 is not available");
}

Sha256::~Sha256() = default;

void Sha256::Update(const uint8_t* data, size_t size) {
    if (state_->cng.HashData(state_->hash, const_cast<PUCHAR>(data), static_cast<ULONG>(size), 0) != 0)
        throw std::runtime_error("SHA-256 failed");
}

std::array<uint8_t, 32> Sha256::Final() {
    std::array<uint8_t, 32> digest{};
    if (state_->cng.FinishHash(state_->hash, digest.data(), static_cast<ULONG>(digest.size()), 0) != 0)
        throw std::runtime_error("SHA-256 failed");
    return digest;
}

struct Aes256CbcDecryptor::State {
    Cng cng;
    Provider provider{cng, BCRYPT_AES_ALGORITHM};
    BCRYPT_KEY_HANDLE key = nullptr;
    std::array<uint8_t, 16> iv{};
    ~State() {
        if (key) cng.DestroyKey(key);
    }
};

Aes256CbcDecryptor::Aes256CbcDecryptor(const std::array<uint8_t, 32>& key, const std::array<uint8_t, 16>& iv)
    : state_(std::make_unique<State>()) {
    state_->iv = iv;
    auto mode = const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_CBC);
    const Cng& cng = state_->cng;
    if (cng.SetProperty(state_->provider.get(), BCRYPT_CHAINING_MODE, reinterpret_cast<PUCHAR>(mode),
                        static_cast<ULONG>((wcslen(mode) + 1) * sizeof(wchar_t)), 0) != 0 ||
        cng.GenerateSymmetricKey(state_->provider.get(), &state_->key, nullptr, 0, const_cast<PUCHAR>(key.data()),
                                 static_cast<ULONG>(key.size()), 0) != 0)
        throw std::runtime_error("AES is not available");
}

Aes256CbcDecryptor::~Aes256CbcDecryptor() = default;

void Aes256CbcDecryptor::Decrypt(uint8_t* data, size_t size) {
    // CNG updates the IV buffer to the last cipher block, continuing the chain.
    ULONG produced = 0;
    if (state_->cng.Decrypt(state_->key, data, static_cast<ULONG>(size), nullptr, state_->iv.data(),
                            static_cast<ULONG>(state_->iv.size()), data, static_cast<ULONG>(size), &produced, 0) != 0 ||
        produced != size)
        throw std::runtime_error("AES decryption failed");
}

}  // namespace keb
