#pragma once
// AES-CCM from libgcrypt as own ccmEncrypt/ccmDecrypt members, over OpenSSL's
// AES blocks: a second CCM, independent of both the generic one and OpenSSL's.
// It takes nonces of 7 to 13 bytes and tags of 4 to 16 bytes and even, and
// refuses others with std::invalid_argument.

#include <cstddef>
#include <optional>
#include <utility>

#include "OpenSSLAES.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/Ccm.hpp"

namespace zelkor::testsupport {

namespace gcrypt_ccm {
CcmSealed encrypt(const ByteString& key, const ByteString& nonce, const ByteString& aad,
                  const ByteString& plaintext, std::size_t tagBytes);
std::optional<ByteString> decrypt(const ByteString& key, const ByteString& nonce, const ByteString& aad,
                                  const ByteString& ciphertext, const ByteString& tag);
}  // namespace gcrypt_ccm

template <int Bits>
class GcryptCcmAES {
public:
    static constexpr int blockSize = 128;
    static constexpr int keyLength = Bits;

    static std::optional<GcryptCcmAES> buildKey(const ByteString& key) {
        auto aes = reference::OpenSSLAES<Bits>::buildKey(key);
        if (!aes) return std::nullopt;
        return GcryptCcmAES(std::move(*aes), key);
    }

    ByteString encryptBlock(const ByteString& blocks) const { return aes_.encryptBlock(blocks); }
    ByteString decryptBlock(const ByteString& blocks) const { return aes_.decryptBlock(blocks); }

    CcmSealed ccmEncrypt(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                         std::size_t tagBytes) const {
        return gcrypt_ccm::encrypt(key_, nonce, aad, plaintext, tagBytes);
    }
    std::optional<ByteString> ccmDecrypt(const ByteString& nonce, const ByteString& aad,
                                         const ByteString& ciphertext, const ByteString& tag) const {
        return gcrypt_ccm::decrypt(key_, nonce, aad, ciphertext, tag);
    }

private:
    GcryptCcmAES(reference::OpenSSLAES<Bits> aes, ByteString key) : aes_(std::move(aes)), key_(std::move(key)) {}

    reference::OpenSSLAES<Bits> aes_;
    ByteString key_;
};

using GcryptCcmAES128 = GcryptCcmAES<128>;
using GcryptCcmAES256 = GcryptCcmAES<256>;

}  // namespace zelkor::testsupport
