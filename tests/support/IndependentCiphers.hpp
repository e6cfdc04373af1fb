#pragma once
// Second implementations of the block ciphers, for checking the reference
// ones: Twofish from libgcrypt, and AES whose blocks come from OpenSSL but
// whose modes are the generic ones of zelkor/Modes.hpp. Neither has mode
// members.

#include <memory>
#include <optional>
#include <vector>

#include "OpenSSLAES.hpp"
#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport {

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

using GenericAES128 = GenericAES<128>;
using GenericAES192 = GenericAES<192>;
using GenericAES256 = GenericAES<256>;

}  // namespace zelkor::testsupport
