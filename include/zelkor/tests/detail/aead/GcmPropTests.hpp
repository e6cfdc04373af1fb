#pragma once
// The GCM properties: the AEAD ones any GCM must have, and the conformance of
// a cipher's own GCM members to the generic GCM over its own encryptBlock.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/ByteString.hpp"
#include "zelkor/Gcm.hpp"
#include "zelkor/tests/detail/cipher/BlockCipherPropTests.hpp"
#include "zelkor/tests/detail/run/Report.hpp"

namespace zelkor::tests::gcm_detail {

// Lengths around the block boundaries, the empty one included.
inline const std::vector<std::size_t> kTextLengths = {0, 1, 15, 16, 17, 31, 32, 33, 48, 63, 64, 65, 100, 255};
// 12 bytes (used directly) and lengths that go through GHASH.
inline const std::vector<std::size_t> kIvLengths = {1, 8, 11, 12, 13, 16, 17, 32, 60, 128, 257};
inline const std::vector<std::size_t> kTagLengths = {4, 8, 12, 13, 14, 15, 16};

// n bytes made from the random material.
inline ByteString bytesOfLength(const ByteString& material, std::size_t n) {
    return detail::keyBytesFromMaterial(material, static_cast<long>(n));
}

// A message with inputs of drawn lengths.
struct GcmInputs {
    ByteString iv, aad, plaintext;
    std::size_t tagBytes = 16;
};

inline GcmInputs drawGcmInputs(const ByteString& material) {
    GcmInputs in;
    in.iv = bytesOfLength(material + ByteString{1}, *rc::gen::elementOf(kIvLengths));
    in.aad = bytesOfLength(material + ByteString{2}, *rc::gen::elementOf(kTextLengths));
    in.plaintext = bytesOfLength(material, *rc::gen::elementOf(kTextLengths));
    in.tagBytes = *rc::gen::elementOf(kTagLengths);
    return in;
}

inline ByteString flipBit(const ByteString& bytes, std::size_t bit) {
    std::vector<std::uint8_t> out(bytes.begin(), bytes.end());
    out[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
    return ByteString(std::move(out));
}

template <class K>
void encryptThenDecrypt(const ByteString& keyMaterial, const ByteString& material) {
    const K key = detail::keyOrDiscard<K>(keyMaterial);
    const GcmInputs in = drawGcmInputs(material);
    const GcmSealed sealed = zelkor::gcmEncrypt(key, in.iv, in.aad, in.plaintext, in.tagBytes);
    RC_ASSERT(sealed.ciphertext.size() == in.plaintext.size());
    RC_ASSERT(sealed.tag.size() == in.tagBytes);
    const std::optional<ByteString> opened = zelkor::gcmDecrypt(key, in.iv, in.aad, sealed.ciphertext, sealed.tag);
    RC_ASSERT(opened.has_value());
    detail::requireSameBytes("gcmDecrypt of gcmEncrypt == the plaintext", *opened, in.plaintext);
}

// One bit of the ciphertext, the tag, the AAD or the IV changed.
template <class K>
void anyChangedBitIsRejected(const ByteString& keyMaterial, const ByteString& material) {
    const K key = detail::keyOrDiscard<K>(keyMaterial);
    GcmInputs in = drawGcmInputs(material);
    GcmSealed sealed = zelkor::gcmEncrypt(key, in.iv, in.aad, in.plaintext, in.tagBytes);
    const std::array<ByteString*, 4> parts = {&sealed.ciphertext, &sealed.tag, &in.aad, &in.iv};
    const std::array<const char*, 4> names = {"ciphertext", "tag", "AAD", "IV"};
    const std::size_t which = *rc::gen::inRange<std::size_t>(0, parts.size());
    RC_PRE(parts[which]->size() > 0);
    const std::size_t bit = *rc::gen::inRange<std::size_t>(0, parts[which]->size() * 8);
    *parts[which] = flipBit(*parts[which], bit);
    if (zelkor::gcmDecrypt(key, in.iv, in.aad, sealed.ciphertext, sealed.tag).has_value())
        RC_FAIL(std::string("gcmDecrypt accepted the message with bit ") + std::to_string(bit) + " of the " +
                names[which] + " changed");
}

template <class K>
void shorterTagIsPrefix(const ByteString& keyMaterial, const ByteString& material) {
    const K key = detail::keyOrDiscard<K>(keyMaterial);
    const GcmInputs in = drawGcmInputs(material);
    const GcmSealed full = zelkor::gcmEncrypt(key, in.iv, in.aad, in.plaintext, 16);
    const GcmSealed shorter = zelkor::gcmEncrypt(key, in.iv, in.aad, in.plaintext, in.tagBytes);
    detail::requireSameBytes("ciphertext with a shorter tag == with the 16-byte tag", shorter.ciphertext,
                             full.ciphertext);
    detail::requireSameBytes("shorter tag == prefix of the 16-byte tag", shorter.tag, full.tag.take(in.tagBytes));
}

// Own members and the generic GCM give the same ciphertext and tag, and the own
// gcmDecrypt opens it (and refuses it with the tag changed).
template <class K>
void sameAsGeneric(const K& key, const GcmInputs& in) {
    const GcmSealed own = zelkor::gcmEncrypt(key, in.iv, in.aad, in.plaintext, in.tagBytes);
    const GcmSealed generic = zelkor::detail::genericGcmEncrypt(key, in.iv, in.aad, in.plaintext, in.tagBytes);
    detail::requireSameBytes("ciphertext: own gcmEncrypt == generic GCM", own.ciphertext, generic.ciphertext);
    detail::requireSameBytes("tag: own gcmEncrypt == generic GCM", own.tag, generic.tag);
    const std::optional<ByteString> opened = zelkor::gcmDecrypt(key, in.iv, in.aad, generic.ciphertext, generic.tag);
    RC_ASSERT(opened.has_value());
    detail::requireSameBytes("own gcmDecrypt of the generic encryption == the plaintext", *opened, in.plaintext);
    const ByteString wrongTag = flipBit(generic.tag, 0);
    RC_ASSERT(!zelkor::gcmDecrypt(key, in.iv, in.aad, generic.ciphertext, wrongTag).has_value());
}

template <class K>
void ownGcmMatchesGeneric(const ByteString& keyMaterial, const ByteString& material) {
    const K key = detail::keyOrDiscard<K>(keyMaterial);
    sameAsGeneric(key, drawGcmInputs(material));
}

// A 16-byte IV whose initial counter ends in 2^32 - 1 - r: the counter wraps
// within the message, and only its low 32 bits may change.
template <class K>
void counterWrapsWithin32Bits(const ByteString& keyMaterial, const ByteString& material) {
    const K key = detail::keyOrDiscard<K>(keyMaterial);
    const zelkor::detail::GcmBlock h = zelkor::detail::encryptOneBlock(key, zelkor::detail::GcmBlock{});
    RC_PRE(h != zelkor::detail::GcmBlock{});
    const std::uint32_t r = *rc::gen::inRange<std::uint32_t>(0, 4);
    zelkor::detail::GcmBlock j0{};
    const ByteString prefix = bytesOfLength(material, 12);
    std::copy(prefix.begin(), prefix.end(), j0.begin());
    const std::uint32_t low = 0xffffffffu - r - 1;  // J0; the first counter used is J0 + 1
    for (std::size_t i = 0; i < 4; ++i) j0[12 + i] = static_cast<std::uint8_t>(low >> (24 - 8 * i));
    GcmInputs in;
    in.iv = zelkor::detail::gcmIvForPreCounterBlock(h, j0);
    in.aad = bytesOfLength(material + ByteString{2}, *rc::gen::elementOf(kTextLengths));
    in.plaintext = bytesOfLength(material, 16 * (r + 3) + *rc::gen::inRange<std::size_t>(0, 17));
    in.tagBytes = 16;
    sameAsGeneric(key, in);
}

}  // namespace zelkor::tests::gcm_detail
