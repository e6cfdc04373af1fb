#include "IndependentCcm.hpp"

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gcrypt.h>

#include "support/IndependentCiphers.hpp"

namespace zelkor::testsupport::gcrypt_ccm {

namespace {

void checkGcrypt(gcry_error_t error, const char* call) {
    if (error != 0) throw std::runtime_error(std::string(call) + " failed: " + gcry_strerror(error));
}

int aesAlgorithm(std::size_t keyBytes) {
    switch (keyBytes) {
    case 16: return GCRY_CIPHER_AES128;
    case 24: return GCRY_CIPHER_AES192;
    case 32: return GCRY_CIPHER_AES256;
    }
    throw std::invalid_argument("AES key of " + std::to_string(keyBytes) + " bytes");
}

void checkLengths(std::size_t nonceBytes, std::size_t tagBytes) {
    if (nonceBytes < 7 || nonceBytes > 13)
        throw std::invalid_argument("GcryptCcmAES: nonce of " + std::to_string(nonceBytes) + " bytes");
    if (tagBytes < 4 || tagBytes > 16 || tagBytes % 2 != 0)
        throw std::invalid_argument("GcryptCcmAES: tag of " + std::to_string(tagBytes) + " bytes");
}

using Handle = std::unique_ptr<gcry_cipher_hd_t, void (*)(gcry_cipher_hd_t*)>;

// A handle with key, nonce, the three lengths and the AAD given.
Handle start(gcry_cipher_hd_t& handle, const ByteString& key, const ByteString& nonce, const ByteString& aad,
             std::size_t textBytes, std::size_t tagBytes) {
    initialiseGcrypt();
    checkGcrypt(gcry_cipher_open(&handle, aesAlgorithm(key.size()), GCRY_CIPHER_MODE_CCM, 0), "gcry_cipher_open");
    Handle closer(&handle, [](gcry_cipher_hd_t* h) { gcry_cipher_close(*h); });
    checkGcrypt(gcry_cipher_setkey(handle, key.data(), key.size()), "gcry_cipher_setkey");
    checkGcrypt(gcry_cipher_setiv(handle, nonce.data(), nonce.size()), "gcry_cipher_setiv");
    std::array<std::uint64_t, 3> lengths = {textBytes, aad.size(), tagBytes};
    checkGcrypt(gcry_cipher_ctl(handle, GCRYCTL_SET_CCM_LENGTHS, lengths.data(), sizeof lengths),
                "GCRYCTL_SET_CCM_LENGTHS");
    checkGcrypt(gcry_cipher_authenticate(handle, aad.data(), aad.size()), "gcry_cipher_authenticate");
    return closer;
}

}  // namespace

CcmSealed encrypt(const ByteString& key, const ByteString& nonce, const ByteString& aad,
                  const ByteString& plaintext, std::size_t tagBytes) {
    checkLengths(nonce.size(), tagBytes);
    gcry_cipher_hd_t handle = nullptr;
    const Handle closer = start(handle, key, nonce, aad, plaintext.size(), tagBytes);
    std::vector<std::uint8_t> out(plaintext.size());
    checkGcrypt(gcry_cipher_encrypt(handle, out.data(), out.size(), plaintext.data(), plaintext.size()),
                "gcry_cipher_encrypt");
    std::vector<std::uint8_t> tag(tagBytes);
    checkGcrypt(gcry_cipher_gettag(handle, tag.data(), tag.size()), "gcry_cipher_gettag");
    return {ByteString(std::move(out)), ByteString(std::move(tag))};
}

std::optional<ByteString> decrypt(const ByteString& key, const ByteString& nonce, const ByteString& aad,
                                  const ByteString& ciphertext, const ByteString& tag) {
    checkLengths(nonce.size(), tag.size());
    gcry_cipher_hd_t handle = nullptr;
    const Handle closer = start(handle, key, nonce, aad, ciphertext.size(), tag.size());
    std::vector<std::uint8_t> out(ciphertext.size());
    checkGcrypt(gcry_cipher_decrypt(handle, out.data(), out.size(), ciphertext.data(), ciphertext.size()),
                "gcry_cipher_decrypt");
    if (gcry_cipher_checktag(handle, tag.data(), tag.size()) != 0) return std::nullopt;
    return ByteString(std::move(out));
}

}  // namespace zelkor::testsupport::gcrypt_ccm
