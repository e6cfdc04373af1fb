#pragma once
// AES-SIVs with classic faults, over libgcrypt's correct one. Each seals and
// opens consistently, so only known answers (and, for the joined strings, the
// split-AAD property) show the fault.

#include <cstddef>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>
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

// Joins the associated-data strings into one before S2V, so that ["ab"] and
// ["a", "b"] authenticate alike; right for one string.
class SivJoinedAadStrings {
    using Inner = reference::GcryptAes128Siv;

public:
    static constexpr int keyLength = 256;
    static constexpr std::size_t maxAadStrings = Inner::maxAadStrings;

    static std::optional<SivJoinedAadStrings> buildKey(const ByteString& bytes) {
        std::optional<Inner> inner = Inner::buildKey(bytes);
        if (!inner) return std::nullopt;
        return SivJoinedAadStrings(std::move(*inner));
    }
    static bool acceptsNonce(std::size_t bytes) { return Inner::acceptsNonce(bytes); }
    static bool acceptsTag(std::size_t bytes) { return Inner::acceptsTag(bytes); }

    AeadSealed seal(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                    std::size_t tagBytes) const {
        return inner_.seal(nonce, aad, plaintext, tagBytes);
    }
    std::optional<ByteString> open(const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
                                   const ByteString& tag) const {
        return inner_.open(nonce, aad, ciphertext, tag);
    }
    AeadSealed seal(const ByteString& nonce, std::span<const ByteString> aad, const ByteString& plaintext,
                    std::size_t tagBytes) const {
        return inner_.seal(nonce, joined(aad), plaintext, tagBytes);
    }
    std::optional<ByteString> open(const ByteString& nonce, std::span<const ByteString> aad,
                                   const ByteString& ciphertext, const ByteString& tag) const {
        return inner_.open(nonce, joined(aad), ciphertext, tag);
    }

private:
    explicit SivJoinedAadStrings(Inner inner) : inner_(std::move(inner)) {}

    static ByteString joined(std::span<const ByteString> aad) {
        if (aad.size() > maxAadStrings) throw std::invalid_argument("too many associated-data strings");
        ByteString out;
        for (const ByteString& part : aad) out = out + part;
        return out;
    }

    Inner inner_;
};

}  // namespace zelkor::testsupport::mutants
