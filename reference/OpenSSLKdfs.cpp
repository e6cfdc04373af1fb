#include "OpenSSLKdfs.hpp"

#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <openssl/params.h>

#include "OpenSSLErrors.hpp"

namespace zelkor::reference::detail {

namespace {

EVP_KDF* fetchKdf(const char* name) {
    static std::mutex mutex;
    // Never destroyed, so the fetched objects stay reachable to the end.
    static auto& fetched = *new std::map<std::string, EVP_KDF*>;
    const std::lock_guard lock(mutex);
    EVP_KDF*& kdf = fetched[name];
    if (kdf == nullptr) kdf = EVP_KDF_fetch(nullptr, name, nullptr);
    if (kdf == nullptr) throwOpenSSLError(std::string("EVP_KDF_fetch ") + name);
    return kdf;
}

struct KdfCtxFree {
    void operator()(EVP_KDF_CTX* ctx) const { EVP_KDF_CTX_free(ctx); }
};

// OpenSSL takes no null pointer for an empty octet string.
void* octets(const ByteString& bytes) {
    static unsigned char none = 0;
    return bytes.empty() ? &none : const_cast<std::uint8_t*>(bytes.data());
}

ByteString derive(const char* kdf, std::vector<OSSL_PARAM> params, std::size_t length) {
    std::unique_ptr<EVP_KDF_CTX, KdfCtxFree> ctx(EVP_KDF_CTX_new(fetchKdf(kdf)));
    if (!ctx) throwOpenSSLError("EVP_KDF_CTX_new");
    params.push_back(OSSL_PARAM_construct_end());
    std::vector<unsigned char> out(length == 0 ? 1 : length);
    check(EVP_KDF_derive(ctx.get(), out.data(), length, params.data()), "EVP_KDF_derive");
    out.resize(length);
    return ByteString(std::move(out));
}

}  // namespace

ByteString opensslHkdf(const char* digest, HkdfStep step, const ByteString& key, const ByteString& salt,
                       const ByteString& info, std::size_t length) {
    std::string digestName = digest;
    int mode = step == HkdfStep::Extract  ? EVP_KDF_HKDF_MODE_EXTRACT_ONLY
               : step == HkdfStep::Expand ? EVP_KDF_HKDF_MODE_EXPAND_ONLY
                                          : EVP_KDF_HKDF_MODE_EXTRACT_AND_EXPAND;
    std::vector<OSSL_PARAM> params = {
        OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digestName.data(), 0),
        OSSL_PARAM_construct_int(OSSL_KDF_PARAM_MODE, &mode),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_KEY, octets(key), key.size()),
    };
    if (!salt.empty()) params.push_back(OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_SALT, octets(salt), salt.size()));
    if (!info.empty()) params.push_back(OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_INFO, octets(info), info.size()));
    return derive("HKDF", std::move(params), length);
}

ByteString opensslPbkdf2(const char* digest, const ByteString& password, const ByteString& salt,
                         std::uint64_t iterations, std::size_t length) {
    std::string digestName = digest;
    int pkcs5 = 1;
    std::vector<OSSL_PARAM> params = {
        OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digestName.data(), 0),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_PASSWORD, octets(password), password.size()),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_SALT, octets(salt), salt.size()),
        OSSL_PARAM_construct_uint64(OSSL_KDF_PARAM_ITER, &iterations),
        OSSL_PARAM_construct_int(OSSL_KDF_PARAM_PKCS5, &pkcs5),
    };
    return derive("PBKDF2", std::move(params), length);
}

}  // namespace zelkor::reference::detail
