#include "OpenSSLBlockCiphers.hpp"

#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include <openssl/provider.h>

#include "OpenSSLErrors.hpp"

namespace zelkor::reference::detail {

struct BlockCipherSchedule {
    std::size_t blockBytes = 0;
    CipherCtx encrypt;
    CipherCtx decrypt;
};

namespace {

struct FamilyInfo {
    const char* name;  // with %d for the key bits where OpenSSL names one cipher per key length
    std::size_t blockBytes;
    std::size_t minKeyBytes, maxKeyBytes;  // variable key lengths are set on the context
    bool legacy;
};

FamilyInfo infoOf(OpenSSLCipherFamily family) {
    switch (family) {
    case OpenSSLCipherFamily::Camellia: return {"CAMELLIA-%d-ECB", 16, 16, 32, false};
    case OpenSSLCipherFamily::ARIA: return {"ARIA-%d-ECB", 16, 16, 32, false};
    case OpenSSLCipherFamily::SM4: return {"SM4-ECB", 16, 16, 16, false};
    case OpenSSLCipherFamily::SEED: return {"SEED-ECB", 16, 16, 16, true};
    case OpenSSLCipherFamily::CAST5: return {"CAST5-ECB", 8, 5, 16, true};
    case OpenSSLCipherFamily::Blowfish: return {"BF-ECB", 8, 4, 56, true};
    }
    throw std::invalid_argument("unknown cipher family");
}

// Whether OpenSSL names one cipher of the family per key length.
bool namesKeyLength(const FamilyInfo& info) { return std::string(info.name).find("%d") != std::string::npos; }

// The legacy provider beside the default one (kept as a fallback), loaded once.
void loadLegacyProvider() {
    static OSSL_PROVIDER* const legacy = OSSL_PROVIDER_try_load(nullptr, "legacy", 1);
    if (legacy == nullptr) throwOpenSSLError("OSSL_PROVIDER_try_load legacy");
}

// Fetched once per name; the ciphers stay alive until the process ends.
const EVP_CIPHER* fetch(const FamilyInfo& info, std::size_t keyBytes) {
    static std::mutex lock;
    static auto* const fetched = new std::map<std::string, EVP_CIPHER*>();
    std::string name = info.name;
    if (const auto at = name.find("%d"); at != std::string::npos) name.replace(at, 2, std::to_string(keyBytes * 8));
    const std::lock_guard<std::mutex> guard(lock);
    if (const auto found = fetched->find(name); found != fetched->end()) return found->second;
    if (info.legacy) loadLegacyProvider();
    EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, name.c_str(), nullptr);
    if (cipher == nullptr) throwOpenSSLError("EVP_CIPHER_fetch " + name);
    fetched->emplace(name, cipher);
    return cipher;
}

CipherCtx initialised(const FamilyInfo& info, const ByteString& key, bool encrypt) {
    CipherCtx ctx = newCipherCtx();
    const int direction = encrypt ? 1 : 0;
    check(EVP_CipherInit_ex2(ctx.get(), fetch(info, key.size()), nullptr, nullptr, direction, nullptr),
          "EVP_CipherInit_ex2");
    if (!namesKeyLength(info) && info.minKeyBytes != info.maxKeyBytes) {
        check(EVP_CIPHER_CTX_set_key_length(ctx.get(), static_cast<int>(key.size())),
              "EVP_CIPHER_CTX_set_key_length");
    }
    check(EVP_CipherInit_ex2(ctx.get(), nullptr, key.data(), nullptr, direction, nullptr), "EVP_CipherInit_ex2");
    check(EVP_CIPHER_CTX_set_padding(ctx.get(), 0), "EVP_CIPHER_CTX_set_padding");
    return ctx;
}

}  // namespace

std::shared_ptr<const BlockCipherSchedule> makeBlockCipherSchedule(OpenSSLCipherFamily family, const ByteString& key) {
    const FamilyInfo info = infoOf(family);
    const bool fits = namesKeyLength(info) ? key.size() == 16 || key.size() == 24 || key.size() == 32
                                : key.size() >= info.minKeyBytes && key.size() <= info.maxKeyBytes;
    if (!fits) throw std::invalid_argument(std::string(info.name) + " key of " + std::to_string(key.size()) + " bytes");
    auto schedule = std::make_shared<BlockCipherSchedule>();
    schedule->blockBytes = info.blockBytes;
    schedule->encrypt = initialised(info, key, true);
    schedule->decrypt = initialised(info, key, false);
    return schedule;
}

ByteString blockCipherBlocks(const BlockCipherSchedule& key, bool encrypt, const ByteString& blocks) {
    if (blocks.size() % key.blockBytes != 0 || blocks.size() > (std::size_t{1} << 30)) {
        throw std::invalid_argument(std::string(encrypt ? "encryptBlock" : "decryptBlock") + ": input of " +
                                    std::to_string(blocks.size()) + " bytes is not a whole number of " +
                                    std::to_string(key.blockBytes) + "-byte blocks");
    }
    CipherCtx ctx = newCipherCtx();
    check(EVP_CIPHER_CTX_copy(ctx.get(), encrypt ? key.encrypt.get() : key.decrypt.get()), "EVP_CIPHER_CTX_copy");
    std::vector<std::uint8_t> out(blocks.size() + key.blockBytes);
    int produced = 0;
    if (!blocks.empty()) {
        check(EVP_CipherUpdate(ctx.get(), out.data(), &produced, blocks.data(), static_cast<int>(blocks.size())),
              "EVP_CipherUpdate");
    }
    out.resize(static_cast<std::size_t>(produced));
    return ByteString(std::move(out));
}

}  // namespace zelkor::reference::detail
