#pragma once
// GCMs with one classic fault each, as own members over OpenSSL's AES-128
// blocks (see CipherMutants.hpp). Each is consistent with itself, so that
// decryption still opens its own encryption wherever the fault allows it.

#include <algorithm>
#include <optional>
#include <vector>

#include "support/CipherMutants.hpp"
#include "zelkor/Gcm.hpp"

namespace zelkor::testsupport::mutants {

enum class GcmFault {
    TagComparedOnEightBytes,    // only the first 8 bytes of the tag are checked
    CounterCarriesPast32Bits,   // the counter increments as a 128-bit number
    LengthsInBytes,             // GHASH's length block counts bytes, not bits
    LongIvAsCounterPrefix,      // an IV of other than 12 bytes is cut or padded, not hashed
    AadNotPadded,               // AAD and ciphertext hashed as one string
    PlaintextOnWrongTag,        // decryption returns the plaintext whatever the tag
    TagOverPlaintext,           // the tag authenticates the plaintext
};

template <GcmFault Fault>
struct FaultyGcm : Wrapper<FaultyGcm<Fault>> {
    using Block = zelkor::detail::GcmBlock;

    GcmSealed gcmEncrypt(const ByteString& iv, const ByteString& aad, const ByteString& plaintext,
                         std::size_t tagBytes) const {
        zelkor::detail::checkGcmIv(iv);
        zelkor::detail::checkGcmTagBytes(tagBytes);
        const Block h = encrypt(Block{});
        const Block j0 = preCounter(h, iv);
        ByteString ciphertext = counterMode(j0, plaintext);
        const Block tag = tagOf(h, j0, aad, Fault == GcmFault::TagOverPlaintext ? plaintext : ciphertext);
        return {std::move(ciphertext), ByteString(tag.data(), tagBytes)};
    }

    std::optional<ByteString> gcmDecrypt(const ByteString& iv, const ByteString& aad, const ByteString& ciphertext,
                                         const ByteString& tag) const {
        zelkor::detail::checkGcmIv(iv);
        zelkor::detail::checkGcmTagBytes(tag.size());
        const Block h = encrypt(Block{});
        const Block j0 = preCounter(h, iv);
        ByteString plaintext = counterMode(j0, ciphertext);
        const Block expected = tagOf(h, j0, aad, Fault == GcmFault::TagOverPlaintext ? plaintext : ciphertext);
        const std::size_t compared = Fault == GcmFault::TagComparedOnEightBytes ? std::min<std::size_t>(8, tag.size())
                                                                               : tag.size();
        const bool match = std::equal(tag.begin(), tag.begin() + static_cast<std::ptrdiff_t>(compared), expected.begin());
        if (match || Fault == GcmFault::PlaintextOnWrongTag) return plaintext;
        return std::nullopt;
    }

private:
    Block encrypt(const Block& block) const { return zelkor::detail::encryptOneBlock(this->inner, block); }

    static Block preCounter(const Block& h, const ByteString& iv) {
        if (Fault != GcmFault::LongIvAsCounterPrefix || iv.size() == 12) return zelkor::detail::gcmPreCounterBlock(h, iv);
        Block j0{};
        std::copy_n(iv.begin(), std::min<std::size_t>(12, iv.size()), j0.begin());
        j0[15] = 1;
        return j0;
    }

    static void increment(Block& counter) {
        if (Fault != GcmFault::CounterCarriesPast32Bits) return zelkor::detail::inc32(counter);
        for (std::size_t i = 16; i-- > 0;)
            if (++counter[i] != 0) return;
    }

    ByteString counterMode(Block counter, const ByteString& input) const {
        std::vector<std::uint8_t> out(input.begin(), input.end());
        for (std::size_t pos = 0; pos < out.size(); pos += 16) {
            increment(counter);
            const Block keystream = encrypt(counter);
            for (std::size_t i = 0; i < 16 && pos + i < out.size(); ++i) out[pos + i] ^= keystream[i];
        }
        return ByteString(std::move(out));
    }

    Block tagOf(const Block& h, const Block& j0, const ByteString& aad, const ByteString& text) const {
        zelkor::detail::Ghash ghash(h);
        if (Fault == GcmFault::AadNotPadded) {
            ghash.absorbPadded((aad + text).span());
        } else {
            ghash.absorbPadded(aad.span());
            ghash.absorbPadded(text.span());
        }
        const std::uint64_t unit = Fault == GcmFault::LengthsInBytes ? 1 : 8;
        ghash.absorbLengths(aad.size() * unit, text.size() * unit);
        Block tag = ghash.value();
        const Block mask = encrypt(j0);
        for (std::size_t i = 0; i < 16; ++i) tag[i] ^= mask[i];
        return tag;
    }
};

}  // namespace zelkor::testsupport::mutants
