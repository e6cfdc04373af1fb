#pragma once
// AES-CCMs with one classic fault each, as own ccmEncrypt/ccmDecrypt members
// over OpenSSL's AES blocks, put together from the CCM pieces of the library.
// Each seals and opens consistently, so a round trip never shows the fault.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "OpenSSLAES.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/Ccm.hpp"

namespace zelkor::testsupport::mutants {

enum class CcmFault {
    TagFieldOffByOne,     // the flags byte of B0 says a tag one step (2 bytes) longer
    LengthFieldOffByOne,  // the flags byte of B0 says a length field one byte longer
    Accepts14ByteNonce,   // takes a 14-byte nonce (a 1-byte length field) it does not declare
};

template <CcmFault Fault>
class FaultyCcmAES128 {
public:
    static constexpr int blockSize = 128;
    static constexpr int keyLength = 128;

    static std::optional<FaultyCcmAES128> buildKey(const ByteString& key) {
        auto aes = reference::AES128::buildKey(key);
        if (!aes) return std::nullopt;
        return FaultyCcmAES128(std::move(*aes));
    }
    static bool acceptsNonce(std::size_t bytes) { return bytes >= 7 && bytes <= 13; }
    static bool acceptsTag(std::size_t bytes) { return bytes >= 4 && bytes <= 16 && bytes % 2 == 0; }

    ByteString encryptBlock(const ByteString& blocks) const { return aes_.encryptBlock(blocks); }
    ByteString decryptBlock(const ByteString& blocks) const { return aes_.decryptBlock(blocks); }

    CcmSealed ccmEncrypt(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                         std::size_t tagBytes) const {
        checkLengths(nonce.size(), tagBytes, plaintext.size());
        detail::CcmBlock s0{};
        ByteString ciphertext = detail::ccmCounterMode(detail::ccmBlocksOf(aes_), nonce, plaintext, s0);
        return {std::move(ciphertext), tag(nonce, aad, plaintext, tagBytes, s0)};
    }

    std::optional<ByteString> ccmDecrypt(const ByteString& nonce, const ByteString& aad,
                                         const ByteString& ciphertext, const ByteString& givenTag) const {
        checkLengths(nonce.size(), givenTag.size(), ciphertext.size());
        detail::CcmBlock s0{};
        ByteString plaintext = detail::ccmCounterMode(detail::ccmBlocksOf(aes_), nonce, ciphertext, s0);
        if (tag(nonce, aad, plaintext, givenTag.size(), s0) != givenTag) return std::nullopt;
        return plaintext;
    }

private:
    explicit FaultyCcmAES128(reference::AES128 aes) : aes_(std::move(aes)) {}

    static void checkLengths(std::size_t nonceBytes, std::size_t tagBytes, std::size_t textBytes) {
        if (Fault == CcmFault::Accepts14ByteNonce && nonceBytes == 14 && textBytes < 256) {
            detail::checkCcmLengths(13, tagBytes, textBytes);
        } else {
            detail::checkCcmLengths(nonceBytes, tagBytes, textBytes);
        }
    }

    ByteString tag(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext, std::size_t tagBytes,
                   const detail::CcmBlock& s0) const {
        std::vector<std::uint8_t> input = detail::ccmFormatInput(nonce, aad, plaintext, tagBytes);
        const std::uint8_t flags = input[0];
        if constexpr (Fault == CcmFault::TagFieldOffByOne) {
            input[0] = static_cast<std::uint8_t>((flags & 0xc7) | ((((flags >> 3) & 7) + 1) & 7) << 3);
        } else if constexpr (Fault == CcmFault::LengthFieldOffByOne) {
            input[0] = static_cast<std::uint8_t>((flags & 0xf8) | (((flags & 7) + 1) & 7));
        }
        const detail::CcmBlock mac = detail::ccmCbcMac(detail::ccmBlocksOf(aes_), input);
        std::vector<std::uint8_t> out(tagBytes);
        for (std::size_t i = 0; i < tagBytes; ++i) out[i] = static_cast<std::uint8_t>(mac[i] ^ s0[i]);
        return ByteString(std::move(out));
    }

    reference::AES128 aes_;
};

}  // namespace zelkor::testsupport::mutants
