#pragma once
// The conformance of a cipher's own CCM members to the generic CCM over its
// own encryptBlock.

#include <array>
#include <cstddef>
#include <optional>

#include <rapidcheck.h>

#include "zelkor/ByteString.hpp"
#include "zelkor/Ccm.hpp"
#include "zelkor/tests/detail/cipher/BlockCipherPropTests.hpp"
#include "zelkor/tests/detail/run/Report.hpp"

namespace zelkor::tests::ccm_detail {

// Around the block boundaries, and both sides of 65,280 bytes of AAD, where
// the encoding of its length changes form.
inline constexpr std::array<std::size_t, 10> kAadLengths = {0, 1, 13, 14, 15, 16, 17, 255, 65279, 65280};
inline constexpr std::array<std::size_t, 9> kTextLengths = {0, 1, 15, 16, 17, 31, 32, 33, 256};

// Own members and the generic CCM give the same ciphertext and tag for every
// nonce and tag length CCM takes; the own ccmDecrypt opens the generic
// encryption, and refuses it with one tag bit changed.
template <class K>
void ownCcmMatchesGeneric(const ByteString& keyMaterial, const ByteString& material) {
    const K key = detail::keyOrDiscard<K>(keyMaterial);
    const std::size_t nonceBytes = *rc::gen::inRange<std::size_t>(7, 14);
    const std::size_t tagBytes = 2 * *rc::gen::inRange<std::size_t>(2, 9);
    const auto bytes = [&](std::uint8_t salt, std::size_t n) {
        return detail::keyBytesFromMaterial(material + ByteString{salt}, static_cast<long>(n));
    };
    const ByteString nonce = bytes(1, nonceBytes);
    const ByteString aad = bytes(2, *rc::gen::elementOf(kAadLengths));
    const ByteString plaintext = bytes(3, *rc::gen::elementOf(kTextLengths));
    RC_LOG() << "nonce " << nonceBytes << " bytes, tag " << tagBytes << " bytes, AAD " << aad.size()
             << " bytes, plaintext " << plaintext.size() << " bytes\n";
    const CcmSealed own = zelkor::ccmEncrypt(key, nonce, aad, plaintext, tagBytes);
    const CcmSealed generic = zelkor::detail::genericCcmEncrypt(key, nonce, aad, plaintext, tagBytes);
    detail::requireSameBytes("ciphertext: own ccmEncrypt == generic CCM", own.ciphertext, generic.ciphertext);
    detail::requireSameBytes("tag: own ccmEncrypt == generic CCM", own.tag, generic.tag);
    const std::optional<ByteString> opened = zelkor::ccmDecrypt(key, nonce, aad, generic.ciphertext, generic.tag);
    if (!opened) RC_FAIL("own ccmDecrypt refused the generic CCM's tag");
    detail::requireSameBytes("own ccmDecrypt of the generic encryption == the plaintext", *opened, plaintext);
    std::vector<std::uint8_t> wrong(generic.tag.begin(), generic.tag.end());
    wrong.back() ^= 0x80;
    if (zelkor::ccmDecrypt(key, nonce, aad, generic.ciphertext, ByteString(std::move(wrong))).has_value()) {
        RC_FAIL("own ccmDecrypt accepted a tag with its last bit changed");
    }
}

}  // namespace zelkor::tests::ccm_detail
