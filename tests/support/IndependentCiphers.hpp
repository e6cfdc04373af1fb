#pragma once
// Second implementations of the block ciphers, for checking the reference
// ones: Twofish from libgcrypt, AES whose blocks come from OpenSSL but whose
// modes and GCM are the generic ones of zelkor/Modes.hpp and zelkor/Gcm.hpp
// (neither has mode members), and AES whose GCM is libgcrypt's.

#include <memory>
#include <optional>
#include <vector>

#include "OpenSSLAES.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/Gcm.hpp"

namespace zelkor::testsupport {

// libgcrypt must be initialised once before its first use.
void initialiseGcrypt();

// libgcrypt's Twofish. libgcrypt refuses 192-bit Twofish keys, so buildKey
// accepts 16- and 32-byte keys only.
class GcryptTwofish {
public:
    static constexpr int blockSize = 128;
    static constexpr int keyLength = 256;

    static std::optional<GcryptTwofish> buildKey(const ByteString& key);

    // Whole blocks only; other input throws std::invalid_argument.
    ByteString encryptBlock(const ByteString& blocks) const;
    ByteString decryptBlock(const ByteString& blocks) const;

private:
    explicit GcryptTwofish(std::shared_ptr<const ByteString> key) : key_(std::move(key)) {}

    // A libgcrypt handle changes as it is used, so each call opens its own.
    std::shared_ptr<const ByteString> key_;
};

// AES with OpenSSL's block function and the generic modes.
template <int Bits>
class GenericAES {
public:
    static constexpr int blockSize = 128;
    static constexpr int keyLength = Bits;

    static std::optional<GenericAES> buildKey(const ByteString& key) {
        auto aes = reference::OpenSSLAES<Bits>::buildKey(key);
        if (!aes) return std::nullopt;
        return GenericAES(std::move(*aes));
    }

    ByteString encryptBlock(const ByteString& blocks) const { return aes_.encryptBlock(blocks); }
    ByteString decryptBlock(const ByteString& blocks) const { return aes_.decryptBlock(blocks); }

private:
    explicit GenericAES(reference::OpenSSLAES<Bits> aes) : aes_(std::move(aes)) {}

    reference::OpenSSLAES<Bits> aes_;
};

// AES-GCM from libgcrypt as own members, over OpenSSL's AES blocks: a second
// GCM, independent of both the generic one and OpenSSL's.
namespace gcrypt_gcm {
GcmSealed encrypt(int bits, const ByteString& key, const ByteString& iv, const ByteString& aad,
                  const ByteString& plaintext, std::size_t tagBytes);
std::optional<ByteString> decrypt(int bits, const ByteString& key, const ByteString& iv, const ByteString& aad,
                                  const ByteString& ciphertext, const ByteString& tag);
}  // namespace gcrypt_gcm

template <int Bits>
class GcryptGcmAES {
public:
    static constexpr int blockSize = 128;
    static constexpr int keyLength = Bits;

    static std::optional<GcryptGcmAES> buildKey(const ByteString& key) {
        auto aes = reference::OpenSSLAES<Bits>::buildKey(key);
        if (!aes) return std::nullopt;
        return GcryptGcmAES(std::move(*aes), key);
    }

    ByteString encryptBlock(const ByteString& blocks) const { return aes_.encryptBlock(blocks); }
    ByteString decryptBlock(const ByteString& blocks) const { return aes_.decryptBlock(blocks); }

    GcmSealed gcmEncrypt(const ByteString& iv, const ByteString& aad, const ByteString& plaintext,
                         std::size_t tagBytes) const {
        return gcrypt_gcm::encrypt(Bits, key_, iv, aad, plaintext, tagBytes);
    }
    std::optional<ByteString> gcmDecrypt(const ByteString& iv, const ByteString& aad, const ByteString& ciphertext,
                                         const ByteString& tag) const {
        return gcrypt_gcm::decrypt(Bits, key_, iv, aad, ciphertext, tag);
    }

private:
    GcryptGcmAES(reference::OpenSSLAES<Bits> aes, ByteString key) : aes_(std::move(aes)), key_(std::move(key)) {}

    reference::OpenSSLAES<Bits> aes_;
    ByteString key_;
};

using GcryptGcmAES128 = GcryptGcmAES<128>;
using GcryptGcmAES192 = GcryptGcmAES<192>;
using GcryptGcmAES256 = GcryptGcmAES<256>;

using GenericAES128 = GenericAES<128>;
using GenericAES192 = GenericAES<192>;
using GenericAES256 = GenericAES<256>;

}  // namespace zelkor::testsupport
