#pragma once
// AES-SIV with a classic fault, over libgcrypt's correct one: the tag is right,
// the ciphertext wrong. It seals and opens consistently, so only known answers
// show the fault.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "OpenSSLOneShot.hpp"
#include "GcryptAeads.hpp"
#include "zelkor/Aead.hpp"
#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport::mutants {

// Counts from the tag itself, without clearing its bits 31 and 63 (those of
// the last two 32-bit words) for the counter.
class SivCounterBitsKept {
    using Inner = reference::GcryptAes128Siv;

public:
    static constexpr int keyLength = 256;

    static std::optional<SivCounterBitsKept> buildKey(const ByteString& bytes) {
        std::optional<Inner> inner = Inner::buildKey(bytes);
        if (!inner) return std::nullopt;
        return SivCounterBitsKept(std::move(*inner), bytes);
    }
    static bool acceptsNonce(std::size_t bytes) { return Inner::acceptsNonce(bytes); }
    static bool acceptsTag(std::size_t bytes) { return Inner::acceptsTag(bytes); }

    AeadSealed seal(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                    std::size_t tagBytes) const {
        AeadSealed sealed = inner_.seal(nonce, aad, plaintext, tagBytes);
        return {counterFromTag(sealed.tag, plaintext), sealed.tag};
    }

    std::optional<ByteString> open(const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
                                   const ByteString& tag) const {
        if (!acceptsTag(tag.size())) return inner_.open(nonce, aad, ciphertext, tag);  // refuses
        ByteString plaintext = counterFromTag(tag, ciphertext);
        if (inner_.seal(nonce, aad, plaintext, tag.size()).tag != tag) return std::nullopt;
        return plaintext;
    }

private:
    SivCounterBitsKept(Inner inner, const ByteString& key) : inner_(std::move(inner)), key_(key) {}

    ByteString counterFromTag(const ByteString& tag, const ByteString& text) const {
        const std::span<const std::uint8_t> second(key_.data() + 16, 16);
        return *reference::detail::openSSLOneShot("AES-128-CTR", true, second, tag, text, false).bytes;
    }

    Inner inner_;
    ByteString key_;
};

}  // namespace zelkor::testsupport::mutants
