#pragma once
// ChaCha20-Poly1305s with one classic fault each, over libsodium's correct one.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
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
    ReadsPastTheTag,               // open loads one byte past the end of the tag
};

// One byte read just past the end of `bytes`, straight from the input.
__attribute__((no_sanitize("address", "thread"), noinline)) inline std::uint8_t readOnePast(const ByteString& bytes) {
    const volatile std::uint8_t* end = bytes.data() + bytes.size();
    return *end;
}

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
        if (!acceptsNonce(nonce.size()) || !acceptsTag(tag.size()))
            return inner_.open(usedNonce(nonce), aad, ciphertext, tag);
        if constexpr (Fault == AeadFault::TagComparedOnFirst8Bytes) {
            const ByteString plaintext = keystreamXor(nonce, ciphertext);
            const ByteString expected = inner_.seal(nonce, aad, plaintext, tag.size()).tag;
            if (expected.take(8) == tag.take(8)) return plaintext;
            return std::nullopt;
        } else if constexpr (Fault == AeadFault::ReadsPastTheTag) {
            (void)readOnePast(tag);
            return inner_.open(nonce, aad, ciphertext, tag);
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
        if (text.size() == 0) return ByteString();
        crypto_stream_chacha20_ietf_xor_ic(out.data(), text.data(), text.size(), nonce.data(), 1, key_.data());
        return ByteString(std::move(out));
    }

    Inner inner_;
    std::vector<std::uint8_t> key_;
};

enum class ChaChaPolyFault {
    None,                 // the RFC 8439 construction, to show the composition itself is right
    MessageFromCounter0,  // the message encrypted from block 0, the Poly1305 key's block
    NoLengthsBlock,       // Poly1305 without the final block of the two lengths
    AadNotPadded,         // the AAD not padded to 16 bytes before the ciphertext
};

// ChaCha20-Poly1305 put together from libsodium's ChaCha20 and Poly1305, with
// one fault of the construction (or none).
template <ChaChaPolyFault Fault>
class ComposedChaCha20Poly1305 {
public:
    static constexpr int keyLength = 256;

    static std::optional<ComposedChaCha20Poly1305> buildKey(const ByteString& bytes) {
        if (bytes.size() != 32 || sodium_init() < 0) return std::nullopt;
        return ComposedChaCha20Poly1305(bytes);
    }
    static bool acceptsNonce(std::size_t bytes) { return bytes == 12; }
    static bool acceptsTag(std::size_t bytes) { return bytes == 16; }

    AeadSealed seal(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                    std::size_t tagBytes) const {
        requireLengths(nonce.size(), tagBytes);
        ByteString ciphertext = applyKeystream(nonce, plaintext);
        return {ciphertext, tag(nonce, aad, ciphertext)};
    }

    std::optional<ByteString> open(const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
                                   const ByteString& givenTag) const {
        requireLengths(nonce.size(), givenTag.size());
        const ByteString expected = tag(nonce, aad, ciphertext);
        if (sodium_memcmp(expected.data(), givenTag.data(), 16) != 0) return std::nullopt;
        return applyKeystream(nonce, ciphertext);
    }

private:
    explicit ComposedChaCha20Poly1305(const ByteString& key) : key_(key.begin(), key.end()) {}

    static void requireLengths(std::size_t nonceBytes, std::size_t tagBytes) {
        if (!acceptsNonce(nonceBytes) || !acceptsTag(tagBytes)) {
            throw std::invalid_argument("ChaCha20-Poly1305: 12-byte nonces and 16-byte tags only");
        }
    }

    ByteString applyKeystream(const ByteString& nonce, const ByteString& text) const {
        if (text.size() == 0) return ByteString();
        std::vector<std::uint8_t> out(text.size());
        const std::uint32_t firstBlock = Fault == ChaChaPolyFault::MessageFromCounter0 ? 0 : 1;
        crypto_stream_chacha20_ietf_xor_ic(out.data(), text.data(), text.size(), nonce.data(), firstBlock, key_.data());
        return ByteString(std::move(out));
    }

    ByteString tag(const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext) const {
        std::uint8_t polyKey[32];
        crypto_stream_chacha20_ietf(polyKey, sizeof polyKey, nonce.data(), key_.data());
        std::vector<std::uint8_t> input(aad.begin(), aad.end());
        if (Fault != ChaChaPolyFault::AadNotPadded) input.resize((input.size() + 15) / 16 * 16);
        input.insert(input.end(), ciphertext.begin(), ciphertext.end());
        input.resize((input.size() + 15) / 16 * 16);
        if (Fault != ChaChaPolyFault::NoLengthsBlock) {
            for (std::uint64_t length : {std::uint64_t{aad.size()}, std::uint64_t{ciphertext.size()}}) {
                for (int i = 0; i < 8; ++i) input.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
            }
        }
        std::vector<std::uint8_t> mac(16);
        static const std::uint8_t none = 0;
        crypto_onetimeauth_poly1305(mac.data(), input.empty() ? &none : input.data(), input.size(), polyKey);
        return ByteString(std::move(mac));
    }

    std::vector<std::uint8_t> key_;
};

}  // namespace zelkor::testsupport::mutants
