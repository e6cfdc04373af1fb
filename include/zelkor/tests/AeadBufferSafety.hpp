#pragma once
// The buffer-safety group of an AEAD: the key given to buildKey, and the
// nonce, AAD and plaintext of seal and the nonce, AAD, ciphertext and tag of
// open, each placed against an inaccessible page at the placements of the
// other buffer-safety groups and read-only during the call (see
// BufferSafety.hpp). Nonce and tag take the type's first declared nonce
// length and its longest declared tag length; plaintext lengths are 0, 1, 15,
// 16, 17, 35 and random ones up to 64 bytes, AAD lengths up to 64 bytes.

#include <cstddef>
#include <optional>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/Aead.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/aead/AeadPropTests.hpp"
#include "zelkor/tests/detail/checks/BufferSafetyChecks.hpp"

namespace zelkor::tests {

namespace aead_detail {

template <Aead A>
using AeadSafetyCase = detail::SafetyCaseOf<16, static_cast<std::size_t>(A::keyLength) / 8>;

// The nonce and tag lengths the placed calls use.
template <Aead A>
std::optional<std::pair<std::size_t, std::size_t>> placedLengths() {
    if (nonceLengths<A>().empty() || tagLengths<A>().empty()) return std::nullopt;
    return std::pair{nonceLengths<A>().front(), tagLengths<A>().back()};
}

template <Aead A>
ByteString sealedBytes(const AeadSealed& sealed) {
    return sealed.ciphertext + sealed.tag;
}

// buildKey on placed key bytes; a key built is compared by what it seals.
template <Aead A>
void placedKey(const AeadSafetyCase<A>& c) {
    const auto lengths = placedLengths<A>();
    RC_PRE(lengths.has_value());
    const ByteString nonce = detail::keyBytesFromMaterial(c.iv, static_cast<long>(lengths->first));
    detail::Placer placer(c.placements);
    placer.newCall();
    const ByteString placed = placer.place("key", c.key);
    detail::requireSafeCall("buildKey", placer.arguments(), [&](bool p) {
        const std::optional<A> key = A::buildKey(p ? placed : c.key);
        return key ? std::optional<ByteString>(sealedBytes<A>(key->seal(nonce, c.iv, c.message, lengths->second)))
                   : std::nullopt;
    });
}

// seal with nonce, AAD and plaintext placed; open of its output with nonce,
// AAD, ciphertext and tag placed, and again with the tag's first bit changed.
template <Aead A>
void placedSealAndOpen(const AeadSafetyCase<A>& c) {
    const auto lengths = placedLengths<A>();
    RC_PRE(lengths.has_value());
    const A key = keyOrDiscard<A>(c.key);
    const ByteString nonce = detail::keyBytesFromMaterial(c.iv, static_cast<long>(lengths->first));
    const ByteString aad = c.blocks.take(c.message.size() % (c.blocks.size() + 1));
    detail::Placer placer(c.placements);
    placer.newCall();
    const ByteString placedNonce = placer.place("nonce", nonce);
    const ByteString placedAad = placer.place("AAD", aad);
    const ByteString placedPlaintext = placer.place("plaintext", c.message);
    detail::requireSafeCall("seal", placer.arguments(), [&](bool p) {
        return p ? sealedBytes<A>(key.seal(placedNonce, placedAad, placedPlaintext, lengths->second))
                 : sealedBytes<A>(key.seal(nonce, aad, c.message, lengths->second));
    });
    const AeadSealed sealed = key.seal(nonce, aad, c.message, lengths->second);
    for (const ByteString& tag : {sealed.tag, flipBit(sealed.tag, 0)}) {
        placer.newCall();
        const ByteString openNonce = placer.place("nonce", nonce);
        const ByteString openAad = placer.place("AAD", aad);
        const ByteString ciphertext = placer.place("ciphertext", sealed.ciphertext);
        const ByteString placedTag = placer.place("tag", tag);
        detail::requireSafeCall(tag == sealed.tag ? "open" : "open (tag changed)", placer.arguments(), [&](bool p) {
            return p ? key.open(openNonce, openAad, ciphertext, placedTag)
                     : key.open(nonce, aad, sealed.ciphertext, tag);
        });
    }
}

}  // namespace aead_detail

// One group, "AEAD buffer safety"; building does no cryptographic work.
template <Aead A>
std::vector<Test> makeAeadBufferSafetyTests() {
    using namespace aead_detail;
    const char* const name = "AEAD buffer safety";
    if (!detail::placementAvailable() || !detail::faultGuardAvailable()) {
        return {testGroup(name, {detail::placementUnavailableCase()})};
    }
    return {testGroup(name, {testProperty("PlacedKey", &placedKey<A>),
                             testProperty("PlacedSealAndOpen", &placedSealAndOpen<A>)})};
}

// The witness only selects the type.
template <Aead A>
std::vector<Test> makeAeadBufferSafetyTests(const A&) {
    return makeAeadBufferSafetyTests<A>();
}

}  // namespace zelkor::tests
