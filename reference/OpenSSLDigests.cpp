#include "OpenSSLDigests.hpp"

#include <array>
#include <string>

#include <openssl/core_names.h>
#include <openssl/evp.h>

#include "OpenSSLErrors.hpp"

namespace zelkor::reference::detail {
namespace {

const char* algorithmName(DigestAlgorithm algorithm) {
    switch (algorithm) {
    case DigestAlgorithm::MD5: return "MD5";
    case DigestAlgorithm::SHA1: return "SHA1";
    case DigestAlgorithm::SHA224: return "SHA224";
    case DigestAlgorithm::SHA256: return "SHA256";
    case DigestAlgorithm::SHA384: return "SHA384";
    case DigestAlgorithm::SHA512: return "SHA512";
    case DigestAlgorithm::SHA512_224: return "SHA512-224";
    case DigestAlgorithm::SHA512_256: return "SHA512-256";
    case DigestAlgorithm::SHA3_224: return "SHA3-224";
    case DigestAlgorithm::SHA3_256: return "SHA3-256";
    case DigestAlgorithm::SHA3_384: return "SHA3-384";
    case DigestAlgorithm::SHA3_512: return "SHA3-512";
    }
    throw std::invalid_argument("unknown digest algorithm " + std::to_string(static_cast<int>(algorithm)));
}

// Fetched once: an implicit fetch on every call is slow in OpenSSL 3. The
// fetched objects stay alive until the process ends.
constexpr std::size_t kAlgorithms = static_cast<std::size_t>(DigestAlgorithm::SHA3_512) + 1;

const EVP_MD* fetchDigest(DigestAlgorithm algorithm) {
    static const std::array<EVP_MD*, kAlgorithms> digests = [] {
        std::array<EVP_MD*, kAlgorithms> fetched{};
        for (std::size_t i = 0; i < fetched.size(); ++i) {
            const char* name = algorithmName(static_cast<DigestAlgorithm>(i));
            fetched[i] = EVP_MD_fetch(nullptr, name, nullptr);
            if (fetched[i] == nullptr) throwOpenSSLError(std::string("EVP_MD_fetch ") + name);
        }
        return fetched;
    }();
    return digests.at(static_cast<std::size_t>(algorithm));
}

EVP_MAC* fetchHmac() {
    static EVP_MAC* const mac = [] {
        EVP_MAC* fetched = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
        if (fetched == nullptr) throwOpenSSLError("EVP_MAC_fetch HMAC");
        return fetched;
    }();
    return mac;
}

void checkLength(std::size_t produced, std::span<std::uint8_t> out, const char* call) {
    if (produced != out.size()) {
        throw OpenSSLError(std::string(call) + " produced " + std::to_string(produced) + " bytes, expected " +
                           std::to_string(out.size()));
    }
}

// A context per algorithm and thread, initialised again for every digest:
// creating one per call costs as much as hashing a short message.
EVP_MD_CTX* digestContext(DigestAlgorithm algorithm) {
    thread_local std::array<DigestCtx, kAlgorithms> contexts;
    DigestCtx& ctx = contexts.at(static_cast<std::size_t>(algorithm));
    if (!ctx) ctx.reset(EVP_MD_CTX_new());
    if (!ctx) throwOpenSSLError("EVP_MD_CTX_new");
    return ctx.get();
}

}  // namespace

void opensslDigest(DigestAlgorithm algorithm, std::span<const ByteString> chunks, std::span<std::uint8_t> out) {
    EVP_MD_CTX* ctx = digestContext(algorithm);
    check(EVP_DigestInit_ex(ctx, fetchDigest(algorithm), nullptr), "EVP_DigestInit_ex");
    for (const ByteString& chunk : chunks) {
        check(EVP_DigestUpdate(ctx, chunk.data(), chunk.size()), "EVP_DigestUpdate");
    }
    unsigned int produced = 0;
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    check(EVP_DigestFinal_ex(ctx, digest.data(), &produced), "EVP_DigestFinal_ex");
    checkLength(produced, out, "EVP_DigestFinal_ex");
    std::copy_n(digest.begin(), out.size(), out.begin());
}

void opensslHmac(DigestAlgorithm algorithm, const ByteString& key, std::span<const ByteString> chunks,
                 std::span<std::uint8_t> out) {
    MacCtx ctx(EVP_MAC_CTX_new(fetchHmac()));
    if (!ctx) throwOpenSSLError("EVP_MAC_CTX_new");
    std::string digestName = algorithmName(algorithm);
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digestName.data(), 0),
        OSSL_PARAM_construct_end(),
    };
    // A null key means "keep the previous key" to EVP_MAC_init, so an empty
    // key must still come with a valid pointer.
    static const unsigned char noKey = 0;
    const unsigned char* keyData = key.empty() ? &noKey : key.data();
    check(EVP_MAC_init(ctx.get(), keyData, key.size(), params), "EVP_MAC_init");
    for (const ByteString& chunk : chunks) {
        check(EVP_MAC_update(ctx.get(), chunk.data(), chunk.size()), "EVP_MAC_update");
    }
    std::array<unsigned char, EVP_MAX_MD_SIZE> mac{};
    std::size_t produced = 0;
    check(EVP_MAC_final(ctx.get(), mac.data(), &produced, mac.size()), "EVP_MAC_final");
    checkLength(produced, out, "EVP_MAC_final");
    std::copy_n(mac.begin(), out.size(), out.begin());
}

void writeHex(std::ostream& os, std::span<const std::uint8_t> bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * bytes.size());
    for (std::uint8_t b : bytes) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 0xF]);
    }
    os << text;
}

}  // namespace zelkor::reference::detail
