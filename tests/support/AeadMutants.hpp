#pragma once
// ChaCha20-Poly1305s with one classic fault each, over libsodium's correct one.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <sodium.h>

#include "SodiumAeads.hpp"
#include "zelkor/Aead.hpp"
#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport::mutants {

enum class AeadFault {
    TagComparedOnFirst8Bytes,
    AcceptsUndeclaredNonceLength,  // declares 12-byte nonces, takes 16 and uses the first 12
    PlaintextWithoutTagMatch,      // open gives the plaintext whether or not the tag matches
};

template <AeadFault Fault>
class FaultyChaCha20Poly1305 {
    using Inner = reference::SodiumChaCha20Poly1305;

public:
    static constexpr int keyLength = 256;

    static std::optional<FaultyChaCha20Poly1305> buildKey(const ByteString& bytes) {
        std::optional<Inner> inner = Inner::buildKey(bytes);
        if (!inner) return std::nullopt;
        return FaultyChaCha20Poly1305(*inner, bytes);
    }
    static bool acceptsNonce(std::size_t bytes) { return Inner::acceptsNonce(bytes); }
    static bool acceptsTag(std::size_t bytes) { return Inner::acceptsTag(bytes); }

    AeadSealed seal(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                    std::size_t tagBytes) const {
        return inner_.seal(usedNonce(nonce), aad, plaintext, tagBytes);
    }

    std::optional<ByteString> open(const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
                                   const ByteString& tag) const {
        // Lengths it does not take are refused by libsodium, as they should be.
        if (!acceptsNonce(nonce.size()) || !acceptsTag(tag.size())) return inner_.open(usedNonce(nonce), aad, ciphertext, tag);
        if constexpr (Fault == AeadFault::TagComparedOnFirst8Bytes) {
            const ByteString plaintext = keystreamXor(nonce, ciphertext);
            const ByteString expected = inner_.seal(nonce, aad, plaintext, tag.size()).tag;
            if (expected.take(8) == tag.take(8)) return plaintext;
            return std::nullopt;
        } else if constexpr (Fault == AeadFault::PlaintextWithoutTagMatch) {
            if (auto opened = inner_.open(nonce, aad, ciphertext, tag)) return opened;
            return keystreamXor(nonce, ciphertext);
        } else {
            return inner_.open(usedNonce(nonce), aad, ciphertext, tag);
        }
    }

private:
    FaultyChaCha20Poly1305(Inner inner, const ByteString& key) : inner_(inner), key_(key.begin(), key.end()) {}

    ByteString usedNonce(const ByteString& nonce) const {
        if (Fault == AeadFault::AcceptsUndeclaredNonceLength && nonce.size() == 16) return nonce.take(12);
        return nonce;
    }

    // The message part of ChaCha20-Poly1305: the keystream from block 1 on.
    ByteString keystreamXor(const ByteString& nonce, const ByteString& text) const {
        std::vector<std::uint8_t> out(text.size());
        crypto_stream_chacha20_ietf_xor_ic(out.data(), text.data(), text.size(), nonce.data(), 1, key_.data());
        return ByteString(std::move(out));
    }

    Inner inner_;
    std::vector<std::uint8_t> key_;
};

}  // namespace zelkor::testsupport::mutants
