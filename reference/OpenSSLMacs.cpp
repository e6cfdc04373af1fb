#include "OpenSSLMacs.hpp"

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include "OpenSSLErrors.hpp"

namespace zelkor::reference::detail {

namespace {

// Fetched once per name and kept for the process.
EVP_MAC* fetchMac(const char* name) {
    static std::mutex mutex;
    // Never destroyed, so the fetched objects stay reachable to the end.
    static auto& fetched = *new std::map<std::string, EVP_MAC*>;
    const std::lock_guard lock(mutex);
    EVP_MAC*& mac = fetched[name];
    if (mac == nullptr) mac = EVP_MAC_fetch(nullptr, name, nullptr);
    if (mac == nullptr) throwOpenSSLError(std::string("EVP_MAC_fetch ") + name);
    return mac;
}

}  // namespace

ByteString opensslMac(const OpenSSLMacSetup& setup, const ByteString& key, std::span<const ByteString> chunks,
                      std::size_t outBytes) {
    MacCtx ctx(EVP_MAC_CTX_new(fetchMac(setup.mac)));
    if (!ctx) throwOpenSSLError("EVP_MAC_CTX_new");
    std::vector<OSSL_PARAM> params;
    std::string cipher = setup.cipher != nullptr ? setup.cipher : "";
    if (setup.cipher != nullptr) {
        params.push_back(OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_CIPHER, cipher.data(), 0));
    }
    std::size_t size = setup.outputBytes;
    if (size != 0) params.push_back(OSSL_PARAM_construct_size_t(OSSL_MAC_PARAM_SIZE, &size));
    params.push_back(OSSL_PARAM_construct_end());
    // A null key means "keep the previous key" to EVP_MAC_init.
    static const unsigned char noKey = 0;
    check(EVP_MAC_init(ctx.get(), key.empty() ? &noKey : key.data(), key.size(), params.data()), "EVP_MAC_init");
    for (const ByteString& chunk : chunks) {
        check(EVP_MAC_update(ctx.get(), chunk.data(), chunk.size()), "EVP_MAC_update");
    }
    std::vector<unsigned char> out(outBytes + 64);
    std::size_t produced = 0;
    check(EVP_MAC_final(ctx.get(), out.data(), &produced, out.size()), "EVP_MAC_final");
    if (produced != outBytes) {
        throw OpenSSLError(std::string(setup.mac) + ": EVP_MAC_final produced " + std::to_string(produced) +
                           " bytes, expected " + std::to_string(outBytes));
    }
    out.resize(outBytes);
    return ByteString(std::move(out));
}

}  // namespace zelkor::reference::detail
