#pragma once
// The properties every AEAD must have, over the nonce and tag lengths the type
// declares; a counterexample names each input's length.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/Aead.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/cipher/BlockCipherPropHelpers.hpp"
#include "zelkor/tests/detail/checks/Generators.hpp"
#include "zelkor/tests/detail/run/Report.hpp"

namespace zelkor::tests::aead_detail {

// Lengths around block boundaries (16 and 64 bytes), the empty one, and one
// over 8 KiB.
inline constexpr std::array<std::size_t, 11> kPlaintextLengths = {0, 1, 15, 16, 17, 63, 64, 65, 255, 256, 8193};
inline constexpr std::array<std::size_t, 5> kAadLengths = {0, 1, 16, 17, 8193};

// The lengths of `accepts` among 0 to `upTo` bytes and a few longer ones,
// sampled down to at most 16 (the smallest and largest always kept).
template <class Accepts>
std::vector<std::size_t> declaredLengths(Accepts accepts, std::size_t upTo) {
    std::vector<std::size_t> all;
    for (std::size_t n = 0; n <= upTo; ++n) {
        if (accepts(n)) all.push_back(n);
    }
    for (std::size_t n : {upTo * 2, std::size_t{128}, std::size_t{257}}) {
        if (n > upTo && accepts(n) && (all.empty() || all.back() < n)) all.push_back(n);
    }
    if (all.size() <= 16) return all;
    std::vector<std::size_t> sampled;
    for (std::size_t i = 0; i < 16; ++i) sampled.push_back(all[i * (all.size() - 1) / 15]);
    return sampled;
}

template <Aead A>
const std::vector<std::size_t>& nonceLengths() {
    static const std::vector<std::size_t> lengths =
        declaredLengths([](std::size_t n) { return A::acceptsNonce(n); }, 64);
    return lengths;
}

template <Aead A>
const std::vector<std::size_t>& tagLengths() {
    static const std::vector<std::size_t> lengths = declaredLengths([](std::size_t n) { return A::acceptsTag(n); }, 64);
    return lengths;
}

// The lengths of one draw, printed by name in a counterexample.
struct AeadLengths {
    std::size_t plaintext = 0, aad = 0, nonce = 0, tag = 0;
};

inline void showValue(const AeadLengths& lengths, std::ostream& os) {
    os << "plaintext " << lengths.plaintext << " bytes, AAD " << lengths.aad << " bytes, nonce " << lengths.nonce
       << " bytes, tag " << lengths.tag << " bytes";
}

struct AeadInputs {
    ByteString nonce, aad, plaintext;
    std::size_t tagBytes = 0;
};

template <Aead A>
A keyOrDiscard(const ByteString& material) {
    std::optional<A> key = A::buildKey(detail::keyBytesFromMaterial(material, static_cast<long>(A::keyLength) >> 3));
    RC_PRE(key.has_value());
    return std::move(*key);
}

template <Aead A>
AeadInputs drawInputs(const ByteString& material) {
    RC_PRE(!nonceLengths<A>().empty() && !tagLengths<A>().empty());
    AeadLengths lengths;
    lengths.plaintext = *rc::gen::elementOf(kPlaintextLengths);
    lengths.aad = *rc::gen::elementOf(kAadLengths);
    lengths.nonce = *rc::gen::elementOf(nonceLengths<A>());
    lengths.tag = *rc::gen::elementOf(tagLengths<A>());
    RC_LOG() << "lengths: ";
    showValue(lengths, RC_LOG());
    RC_LOG() << "\n";
    const auto bytes = [&](std::uint8_t salt, std::size_t n) {
        return detail::keyBytesFromMaterial(material + ByteString{salt}, static_cast<long>(n));
    };
    return {bytes(1, lengths.nonce), bytes(2, lengths.aad), bytes(3, lengths.plaintext), lengths.tag};
}

inline ByteString flipBit(const ByteString& bytes, std::size_t bit) {
    std::vector<std::uint8_t> out(bytes.begin(), bytes.end());
    out[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
    return ByteString(std::move(out));
}

// True when open refuses: no plaintext, or an exception for a length it does
// not take.
template <Aead A>
bool refuses(const A& key, const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
             const ByteString& tag) {
    try {
        return !key.open(nonce, aad, ciphertext, tag).has_value();
    } catch (const std::exception&) {
        return true;
    }
}

template <Aead A>
void sealThenOpen(const ByteString& keyMaterial, const ByteString& material) {
    const A key = keyOrDiscard<A>(keyMaterial);
    const AeadInputs in = drawInputs<A>(material);
    const AeadSealed sealed = key.seal(in.nonce, in.aad, in.plaintext, in.tagBytes);
    RC_ASSERT(sealed.ciphertext.size() == in.plaintext.size());
    RC_ASSERT(sealed.tag.size() == in.tagBytes);
    const std::optional<ByteString> opened = key.open(in.nonce, in.aad, sealed.ciphertext, sealed.tag);
    if (!opened) RC_FAIL("open refused what seal gave");
    detail::requireSameBytes("open of seal == the plaintext", *opened, in.plaintext);
}

// How many independent changes bring a chance match of `bits` random bits
// down to 2^-64 for all of them at once. A short tag (OCB takes 1 byte) matches
// a changed message by chance once in 2^(8 * bytes); a correct AEAD must not
// fail for that, so a short output is judged over several changes, and only
// when every one of them goes unnoticed. Tags of 8 bytes or more take one.
inline std::size_t changesToJudge(std::size_t bits) { return bits == 0 ? 1 : (64 + bits - 1) / bits; }

// One bit of the ciphertext, the tag, the AAD or the nonce changed (a few
// neighbouring bits in turn under a short tag, see changesToJudge).
template <Aead A>
void anyChangedBitIsRejected(const ByteString& keyMaterial, const ByteString& material) {
    const A key = keyOrDiscard<A>(keyMaterial);
    AeadInputs in = drawInputs<A>(material);
    AeadSealed sealed = key.seal(in.nonce, in.aad, in.plaintext, in.tagBytes);
    const std::array<ByteString*, 4> parts = {&sealed.ciphertext, &sealed.tag, &in.aad, &in.nonce};
    const std::array<const char*, 4> names = {"ciphertext", "tag", "AAD", "nonce"};
    const std::size_t which = *rc::gen::inRange<std::size_t>(0, parts.size());
    RC_PRE(parts[which]->size() > 0);
    const std::size_t bits = parts[which]->size() * 8;
    const std::size_t first = *rc::gen::inRange<std::size_t>(0, bits);
    // A changed tag is never the right one, whatever its length.
    const bool tagChanged = parts[which] == &sealed.tag;
    const std::size_t changes = tagChanged ? 1 : std::min(bits, changesToJudge(8 * sealed.tag.size()));
    const ByteString original = *parts[which];
    std::optional<ByteString> opened;
    for (std::size_t i = 0; i < changes; ++i) {
        *parts[which] = flipBit(original, (first + i) % bits);
        opened = key.open(in.nonce, in.aad, sealed.ciphertext, sealed.tag);
        if (!opened) return;
    }
    std::string message = std::string("open gave ") + std::to_string(opened->size()) +
                          " bytes of plaintext with bit " + std::to_string(first) + " of the " + names[which] +
                          " changed";
    if (changes > 1) {
        message += " (and with each of the " + std::to_string(changes - 1) + " bits after it changed instead: a " +
                   std::to_string(sealed.tag.size()) + "-byte tag is judged over " + std::to_string(changes) +
                   " changes)";
    }
    RC_FAIL(message);
}

// A tag one byte longer than the one sealed, its last byte wrong, is refused;
// so is one a byte shorter where that length is not declared (GCM's shorter
// tags are prefixes of the longer ones, so a declared shorter length may open).
template <Aead A>
void changedTagLengthIsRejected(const ByteString& keyMaterial, const ByteString& material) {
    const A key = keyOrDiscard<A>(keyMaterial);
    const AeadInputs in = drawInputs<A>(material);
    const AeadSealed sealed = key.seal(in.nonce, in.aad, in.plaintext, in.tagBytes);
    const std::size_t longer = in.tagBytes + 1;
    std::uint8_t extra = 0;
    if (A::acceptsTag(longer)) {
        const ByteString longerTag = key.seal(in.nonce, in.aad, in.plaintext, longer).tag;
        extra = static_cast<std::uint8_t>(longerTag.data()[longer - 1] ^ 1u);
    }
    if (!refuses(key, in.nonce, in.aad, sealed.ciphertext, sealed.tag + ByteString{extra})) {
        RC_FAIL("open accepted the tag with a wrong byte appended (" + std::to_string(longer) + " bytes)");
    }
    if (in.tagBytes > 0 && !A::acceptsTag(in.tagBytes - 1) &&
        !refuses(key, in.nonce, in.aad, sealed.ciphertext, sealed.tag.take(in.tagBytes - 1))) {
        RC_FAIL("open accepted the tag cut to " + std::to_string(in.tagBytes - 1) + " bytes, a length not declared");
    }
}

template <Aead A>
void sameInputsSameOutput(const ByteString& keyMaterial, const ByteString& material) {
    const A key = keyOrDiscard<A>(keyMaterial);
    const AeadInputs in = drawInputs<A>(material);
    const AeadSealed first = key.seal(in.nonce, in.aad, in.plaintext, in.tagBytes);
    const AeadSealed second = key.seal(in.nonce, in.aad, in.plaintext, in.tagBytes);
    detail::requireSameBytes("ciphertext of the same inputs twice", first.ciphertext, second.ciphertext);
    detail::requireSameBytes("tag of the same inputs twice", first.tag, second.tag);
}

// Not for a deterministic AEAD, whose only nonce is the empty one. A short
// output is compared under a few other nonces (see changesToJudge), each one
// bit away from the first.
template <Aead A>
void otherNonceOtherOutput(const ByteString& keyMaterial, const ByteString& material) {
    const A key = keyOrDiscard<A>(keyMaterial);
    const AeadInputs in = drawInputs<A>(material);
    RC_PRE(!in.nonce.empty());
    const AeadSealed first = key.seal(in.nonce, in.aad, in.plaintext, in.tagBytes);
    const std::size_t outputBits = 8 * (first.ciphertext.size() + first.tag.size());
    RC_PRE(outputBits > 0);  // no output can tell two nonces apart
    const std::size_t nonceBits = in.nonce.size() * 8;
    const std::size_t bit = *rc::gen::inRange<std::size_t>(0, nonceBits);
    const std::size_t changes = std::min(nonceBits, changesToJudge(outputBits));
    for (std::size_t i = 0; i < changes; ++i) {
        const AeadSealed second =
            key.seal(flipBit(in.nonce, (bit + i) % nonceBits), in.aad, in.plaintext, in.tagBytes);
        if (first.tag != second.tag || first.ciphertext != second.ciphertext) return;
    }
    RC_FAIL(changes == 1 ? std::string("two nonces gave the same ciphertext and tag")
                         : std::to_string(changes + 1) + " nonces gave the same ciphertext and tag (a " +
                               std::to_string(outputBits / 8) + "-byte output is judged over " +
                               std::to_string(changes) + " other nonces)");
}

// Lengths an implementation may take without declaring them: 0, one more and
// one less than each declared length, and the lengths other AEADs use for
// nonces and tags (a 12-byte-nonce AEAD quietly taking 16 bytes).
template <class Accepts>
std::vector<std::size_t> undeclaredNeighbours(const std::vector<std::size_t>& declared, Accepts accepts) {
    std::vector<std::size_t> out;
    const auto add = [&](std::size_t n) {
        if (!accepts(n) && std::find(out.begin(), out.end(), n) == out.end()) out.push_back(n);
    };
    add(0);
    for (std::size_t n : declared) {
        if (n > 0) add(n - 1);
        add(n + 1);
    }
    for (std::size_t n : {8, 12, 16, 24, 32}) add(n);
    return out;
}

// Every undeclared nonce or tag length is refused by seal and by open with an
// exception; the message names the first that is not.
template <Aead A>
void undeclaredLengthsAreRefused() {
    const std::optional<A> key = A::buildKey(ByteString(std::vector<std::uint8_t>(A::keyLength / 8, 0x5a)));
    if (!key) throw std::runtime_error("buildKey refused a key of keyLength bits");
    const std::size_t nonce = nonceLengths<A>().empty() ? 12 : nonceLengths<A>().front();
    const std::size_t tag = tagLengths<A>().empty() ? 16 : tagLengths<A>().front();
    const ByteString aad{1, 2, 3}, plaintext{4, 5, 6, 7};
    const auto throws = [](auto call) {
        try {
            call();
        } catch (const std::exception&) {
            return true;
        }
        return false;
    };
    const auto bytes = [](std::size_t n) { return ByteString(std::vector<std::uint8_t>(n, 0x33)); };
    std::string failures;
    for (std::size_t n : undeclaredNeighbours(nonceLengths<A>(), [](std::size_t m) { return A::acceptsNonce(m); })) {
        if (!throws([&] { (void)key->seal(bytes(n), aad, plaintext, tag); })) {
            failures += "seal took a nonce of " + std::to_string(n) + " bytes; ";
        }
        if (!throws([&] { (void)key->open(bytes(n), aad, plaintext, bytes(tag)); })) {
            failures += "open took a nonce of " + std::to_string(n) + " bytes; ";
        }
    }
    for (std::size_t n : undeclaredNeighbours(tagLengths<A>(), [](std::size_t m) { return A::acceptsTag(m); })) {
        if (!throws([&] { (void)key->seal(bytes(nonce), aad, plaintext, n); })) {
            failures += "seal took a tag length of " + std::to_string(n) + " bytes; ";
        }
        if (!throws([&] { (void)key->open(bytes(nonce), aad, plaintext, bytes(n)); })) {
            failures += "open took a tag of " + std::to_string(n) + " bytes; ";
        }
    }
    if (!failures.empty()) {
        throw AssertionFailure("lengths the type does not declare must be refused with an exception: " + failures);
    }
}

// For a type taking several associated-data strings: each string is its own
// component, so the same bytes split in two give another tag (an S2V over
// their concatenation would not) and open only under the same split; a list
// of one string seals as the one-string member does.
template <Aead A>
void aadStringsAreKeptApart(const ByteString& keyMaterial, const ByteString& material) {
    const A key = keyOrDiscard<A>(keyMaterial);
    const AeadInputs in = drawInputs<A>(material);
    const ByteString aad = in.aad.size() >= 2 ? in.aad : in.aad + ByteString{0x61, 0x62};
    const std::size_t cut = *rc::gen::inRange<std::size_t>(1, aad.size());
    const std::array<ByteString, 1> whole = {aad};
    const std::array<ByteString, 2> split = {aad.take(cut), aad.drop(cut)};
    const std::string where = "AAD of " + std::to_string(aad.size()) + " bytes split at byte " + std::to_string(cut);
    const AeadSealed one = key.seal(in.nonce, std::span<const ByteString>(whole), in.plaintext, in.tagBytes);
    if (one != key.seal(in.nonce, aad, in.plaintext, in.tagBytes)) {
        RC_FAIL("a list of one string sealed otherwise than the one-string seal");
    }
    const AeadSealed two = key.seal(in.nonce, std::span<const ByteString>(split), in.plaintext, in.tagBytes);
    if (two.tag == one.tag) RC_FAIL(where + " gave the tag of the whole AAD as one string");
    const std::optional<ByteString> opened =
        key.open(in.nonce, std::span<const ByteString>(split), two.ciphertext, two.tag);
    if (!opened) RC_FAIL("open refused what seal gave with the " + where);
    detail::requireSameBytes("open of seal with two AAD strings == the plaintext", *opened, in.plaintext);
    if (key.open(in.nonce, std::span<const ByteString>(whole), two.ciphertext, two.tag)) {
        RC_FAIL("open took the whole AAD as one string for what was sealed with the " + where);
    }
}

// The declared number of associated-data strings is taken, with the longest
// declared nonce (SIV's nonce is one more component); one more is refused by
// seal and open with an exception.
template <Aead A>
void aadStringCountIsDeclared() {
    const std::optional<A> key = A::buildKey(ByteString(std::vector<std::uint8_t>(A::keyLength / 8, 0x5a)));
    if (!key) throw std::runtime_error("buildKey refused a key of keyLength bits");
    if (nonceLengths<A>().empty() || tagLengths<A>().empty()) {
        throw std::runtime_error("no declared nonce or tag length");
    }
    const ByteString nonce(std::vector<std::uint8_t>(nonceLengths<A>().back(), 0x33)), plaintext{4, 5, 6, 7};
    const std::size_t tagBytes = tagLengths<A>().back();
    std::vector<ByteString> aad;
    for (std::size_t i = 0; i <= maxAadStringsOf<A>(); ++i) aad.push_back(ByteString{static_cast<std::uint8_t>(i)});
    const std::span<const ByteString> declared(aad.data(), maxAadStringsOf<A>()), tooMany(aad);
    const AeadSealed sealed = key->seal(nonce, declared, plaintext, tagBytes);
    if (key->open(nonce, declared, sealed.ciphertext, sealed.tag) != plaintext) {
        throw AssertionFailure("open did not give back what seal took with " + std::to_string(declared.size()) +
                               " associated-data strings, the declared number");
    }
    const std::string count = std::to_string(tooMany.size()) + " associated-data strings";
    try {
        (void)key->seal(nonce, tooMany, plaintext, tagBytes);
    } catch (const std::exception&) {
        try {
            (void)key->open(nonce, tooMany, sealed.ciphertext, sealed.tag);
        } catch (const std::exception&) {
            return;
        }
        throw AssertionFailure("open took " + count + ", one more than declared");
    }
    throw AssertionFailure("seal took " + count + ", one more than declared");
}

}  // namespace zelkor::tests::aead_detail
