#pragma once
// OpenSSL's HKDF and PBKDF2 (EVP_KDF) as zelkor::Hkdf and zelkor::Pbkdf2
// types, one per digest. Their refusals (an output over 255 hash lengths, 0
// iterations) are OpenSSL's own, raised as exceptions.

#include <cstddef>
#include <cstdint>

#include "zelkor/ByteString.hpp"

namespace zelkor::reference {

namespace detail {

enum class HkdfStep { Extract, Expand, Both };

// HKDF under the OpenSSL digest `digest` ("SHA256", ...): for Extract, `key`
// is the IKM and the output one hash long; for Expand, `key` is the PRK.
ByteString opensslHkdf(const char* digest, HkdfStep step, const ByteString& key, const ByteString& salt,
                       const ByteString& info, std::size_t length);

// PBKDF2 with HMAC under `digest`, without the lower bounds of SP 800-132 mode.
ByteString opensslPbkdf2(const char* digest, const ByteString& password, const ByteString& salt,
                         std::uint64_t iterations, std::size_t length);

}  // namespace detail

template <int HashBits, const char* Digest>
struct OpenSSLHkdf {
    static constexpr int hashLength = HashBits;
    static ByteString extract(const ByteString& salt, const ByteString& ikm) {
        return detail::opensslHkdf(Digest, detail::HkdfStep::Extract, ikm, salt, {}, HashBits / 8);
    }
    static ByteString expand(const ByteString& prk, const ByteString& info, std::size_t length) {
        return detail::opensslHkdf(Digest, detail::HkdfStep::Expand, prk, {}, info, length);
    }
    static ByteString derive(const ByteString& ikm, const ByteString& salt, const ByteString& info,
                             std::size_t length) {
        return detail::opensslHkdf(Digest, detail::HkdfStep::Both, ikm, salt, info, length);
    }
};

template <int HashBits, const char* Digest>
struct OpenSSLPbkdf2 {
    static constexpr int hashLength = HashBits;
    static ByteString derive(const ByteString& password, const ByteString& salt, std::uint64_t iterations,
                             std::size_t length) {
        return detail::opensslPbkdf2(Digest, password, salt, iterations, length);
    }
};

inline constexpr char kOpenSSLSha1[] = "SHA1";
inline constexpr char kOpenSSLSha224[] = "SHA224";
inline constexpr char kOpenSSLSha256[] = "SHA256";
inline constexpr char kOpenSSLSha384[] = "SHA384";
inline constexpr char kOpenSSLSha512[] = "SHA512";

using OpenSSLHkdfSha1 = OpenSSLHkdf<160, kOpenSSLSha1>;
using OpenSSLHkdfSha256 = OpenSSLHkdf<256, kOpenSSLSha256>;
using OpenSSLHkdfSha384 = OpenSSLHkdf<384, kOpenSSLSha384>;
using OpenSSLHkdfSha512 = OpenSSLHkdf<512, kOpenSSLSha512>;
using OpenSSLPbkdf2Sha1 = OpenSSLPbkdf2<160, kOpenSSLSha1>;
using OpenSSLPbkdf2Sha224 = OpenSSLPbkdf2<224, kOpenSSLSha224>;
using OpenSSLPbkdf2Sha256 = OpenSSLPbkdf2<256, kOpenSSLSha256>;
using OpenSSLPbkdf2Sha384 = OpenSSLPbkdf2<384, kOpenSSLSha384>;
using OpenSSLPbkdf2Sha512 = OpenSSLPbkdf2<512, kOpenSSLSha512>;

}  // namespace zelkor::reference
