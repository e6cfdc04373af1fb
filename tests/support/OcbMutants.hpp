#pragma once
// AES-OCB put together from OpenSSL's AES blocks, correct or with one fault.
// Faulty, it still seals and opens consistently, so only known answers show
// the fault, and only those that reach the faulty part.

#include <cstddef>
#include <functional>
#include <optional>
#include <utility>

#include "OpenSSLAES.hpp"
#include "zelkor/Aead.hpp"
#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport::mutants {

enum class OcbFault {
    None,
    // The offsets' table holds L_0 to L_7 only, sized for messages under 4
    // KiB; a block index with eight or more trailing zero bits (block 256
    // on) gets L_7.
    LTableOfEight,
};

namespace ocb_pieces {
using BlockFunction = std::function<ByteString(const ByteString&)>;
// Nonces of 1 to 15 bytes, tags of 1 to 16; others throw std::invalid_argument.
AeadSealed seal(const BlockFunction& encrypt, OcbFault fault, const ByteString& nonce, const ByteString& aad,
                const ByteString& plaintext, std::size_t tagBytes);
std::optional<ByteString> open(const BlockFunction& encrypt, const BlockFunction& decrypt, OcbFault fault,
                               const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
                               const ByteString& tag);
}  // namespace ocb_pieces

template <int Bits, OcbFault Fault>
class OcbFromPieces {
    using Aes = reference::OpenSSLAES<Bits>;

public:
    static constexpr int keyLength = Bits;

    static std::optional<OcbFromPieces> buildKey(const ByteString& bytes) {
        std::optional<Aes> aes = Aes::buildKey(bytes);
        if (!aes) return std::nullopt;
        return OcbFromPieces(std::move(*aes));
    }
    static bool acceptsNonce(std::size_t bytes) { return bytes >= 1 && bytes <= 15; }
    static bool acceptsTag(std::size_t bytes) { return bytes >= 1 && bytes <= 16; }

    AeadSealed seal(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                    std::size_t tagBytes) const {
        return ocb_pieces::seal(encrypt(), Fault, nonce, aad, plaintext, tagBytes);
    }
    std::optional<ByteString> open(const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
                                   const ByteString& tag) const {
        return ocb_pieces::open(encrypt(), [this](const ByteString& b) { return aes_.decryptBlock(b); }, Fault, nonce,
                                aad, ciphertext, tag);
    }

private:
    explicit OcbFromPieces(Aes aes) : aes_(std::move(aes)) {}
    ocb_pieces::BlockFunction encrypt() const {
        return [this](const ByteString& b) { return aes_.encryptBlock(b); };
    }
    Aes aes_;
};

}  // namespace zelkor::testsupport::mutants
