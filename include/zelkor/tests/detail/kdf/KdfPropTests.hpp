#pragma once
// The properties of HKDF and PBKDF2 types, and the conformance of a digest's
// own HKDF and PBKDF2 members to the generic ones over its hmac.

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/ByteString.hpp"
#include "zelkor/Kdf.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/cipher/BlockCipherPropHelpers.hpp"
#include "zelkor/tests/detail/run/Report.hpp"

namespace zelkor::tests::kdf_detail {

inline constexpr std::array<std::size_t, 7> kInputLengths = {0, 1, 13, 22, 32, 80, 200};

inline ByteString drawBytes(const ByteString& material, std::uint8_t salt, const char* what) {
    const std::size_t n = *rc::gen::elementOf(kInputLengths);
    RC_LOG() << what << " of " << n << " bytes\n";
    return detail::keyBytesFromMaterial(material + ByteString{salt}, static_cast<long>(n));
}

// Output lengths around the hash length h, and the 255h limit.
inline std::size_t drawLength(std::size_t h, bool upToLimit) {
    const std::array<std::size_t, 8> lengths = {1, h - 1, h, h + 1, 2 * h + 1, 42, 82, upToLimit ? 255 * h : 3 * h};
    const std::size_t n = *rc::gen::elementOf(lengths);
    RC_LOG() << "output of " << n << " bytes\n";
    return n;
}

template <class K>
constexpr std::size_t hashBytesOf() {
    return static_cast<std::size_t>(K::hashLength) / 8;
}

struct HkdfInputs {
    ByteString ikm, salt, info;
};

inline HkdfInputs drawHkdfInputs(const ByteString& material) {
    return {drawBytes(material, 1, "IKM"), drawBytes(material, 2, "salt"), drawBytes(material, 3, "info")};
}

// derive, expand and extract give exactly the lengths asked for; derive is
// expand of extract.
template <Hkdf H>
void hkdfExactLength(const ByteString& material) {
    const HkdfInputs in = drawHkdfInputs(material);
    const std::size_t length = drawLength(hashBytesOf<H>(), true);
    const ByteString prk = H::extract(in.salt, in.ikm);
    RC_ASSERT(prk.size() == hashBytesOf<H>());
    const ByteString derived = H::derive(in.ikm, in.salt, in.info, length);
    RC_ASSERT(derived.size() == length);
    detail::requireSameBytes("derive == expand of extract", derived, H::expand(prk, in.info, length));
}

template <Hkdf H>
void hkdfShorterIsPrefix(const ByteString& material) {
    const HkdfInputs in = drawHkdfInputs(material);
    const std::size_t longer = drawLength(hashBytesOf<H>(), false);
    const std::size_t shorter = *rc::gen::inRange<std::size_t>(1, longer);
    RC_LOG() << "and of " << shorter << " bytes\n";
    detail::requireSameBytes("the shorter output == the prefix of the longer one",
                             H::derive(in.ikm, in.salt, in.info, shorter),
                             H::derive(in.ikm, in.salt, in.info, longer).take(shorter));
}

template <Hkdf H>
void hkdfEmptySaltIsZeros(const ByteString& material) {
    const HkdfInputs in = drawHkdfInputs(material);
    const ByteString zeros(std::vector<std::uint8_t>(hashBytesOf<H>(), 0));
    detail::requireSameBytes("extract with an empty salt == with hash-length zeros", H::extract(ByteString(), in.ikm),
                             H::extract(zeros, in.ikm));
    const std::size_t length = drawLength(hashBytesOf<H>(), false);
    detail::requireSameBytes("derive with an empty salt == with hash-length zeros",
                             H::derive(in.ikm, ByteString(), in.info, length), H::derive(in.ikm, zeros, in.info, length));
}

inline bool refusedWithException(const std::function<ByteString()>& call, std::string& gave) {
    try {
        gave = std::to_string(call().size());
    } catch (const std::exception&) {
        return true;
    }
    return false;
}

// 255 hash lengths are given in full; one byte more, 256 hash lengths and
// 1000 are refused with an exception by expand and derive, never cut short.
template <Hkdf H>
void hkdfOverLongOutputRefused() {
    const std::size_t h = hashBytesOf<H>();
    const ByteString ikm{1, 2, 3}, salt{4}, info{5, 6};
    const ByteString prk = H::extract(salt, ikm);
    std::string failures;
    if (H::derive(ikm, salt, info, 255 * h).size() != 255 * h) failures += "derive of 255 hash lengths cut short; ";
    for (std::size_t n : {255 * h + 1, 256 * h, 1000 * h}) {
        std::string gave;
        if (!refusedWithException([&] { return H::derive(ikm, salt, info, n); }, gave)) {
            failures += "derive of " + std::to_string(n) + " bytes gave " + gave + " bytes; ";
        }
        if (!refusedWithException([&] { return H::expand(prk, info, n); }, gave)) {
            failures += "expand of " + std::to_string(n) + " bytes gave " + gave + " bytes; ";
        }
    }
    if (!failures.empty()) {
        throw AssertionFailure("an output over 255 hash lengths (" + std::to_string(255 * h) +
                               " bytes) must be refused with an exception: " + failures);
    }
}

struct Pbkdf2Inputs {
    ByteString password, salt;
    std::uint64_t iterations = 1;
};

inline Pbkdf2Inputs drawPbkdf2Inputs(const ByteString& material) {
    Pbkdf2Inputs in{drawBytes(material, 1, "password"), drawBytes(material, 2, "salt"),
                    *rc::gen::inRange<std::uint64_t>(1, 4)};
    RC_LOG() << in.iterations << " iterations\n";
    return in;
}

template <Pbkdf2 P>
void pbkdf2ExactLength(const ByteString& material) {
    const Pbkdf2Inputs in = drawPbkdf2Inputs(material);
    const std::size_t length = drawLength(hashBytesOf<P>(), false);
    RC_ASSERT(P::derive(in.password, in.salt, in.iterations, length).size() == length);
}

template <Pbkdf2 P>
void pbkdf2ShorterIsPrefix(const ByteString& material) {
    const Pbkdf2Inputs in = drawPbkdf2Inputs(material);
    const std::size_t longer = drawLength(hashBytesOf<P>(), false);
    const std::size_t shorter = *rc::gen::inRange<std::size_t>(1, longer + 1);
    RC_LOG() << "and of " << shorter << " bytes\n";
    detail::requireSameBytes("the shorter output == the prefix of the longer one",
                             P::derive(in.password, in.salt, in.iterations, shorter),
                             P::derive(in.password, in.salt, in.iterations, longer).take(shorter));
}

template <Pbkdf2 P>
void pbkdf2MoreIterationsDiffer(const ByteString& material) {
    const Pbkdf2Inputs in = drawPbkdf2Inputs(material);
    const std::size_t h = hashBytesOf<P>();
    if (P::derive(in.password, in.salt, in.iterations, h) == P::derive(in.password, in.salt, in.iterations + 1, h)) {
        RC_FAIL("one iteration more gave the same output");
    }
}

template <Pbkdf2 P>
void pbkdf2ZeroIterationsRefused() {
    std::string gave;
    if (!refusedWithException([] { return P::derive(ByteString{1, 2}, ByteString{3}, 0, hashBytesOf<P>()); }, gave)) {
        throw AssertionFailure("derive with 0 iterations must be refused with an exception, but gave " + gave +
                               " bytes");
    }
}

// Own members against the generic constructions over the digest's hmac.
template <Hash D>
void ownHkdfMatchesGeneric(const ByteString& material) {
    const HkdfInputs in = drawHkdfInputs(material);
    const std::size_t length = drawLength(static_cast<std::size_t>(D::outputLength) / 8, true);
    const ByteString prk = zelkor::detail::genericHkdfExtract<D>(in.salt, in.ikm);
    detail::requireSameBytes("own hkdfExtract == generic HKDF", zelkor::hkdfExtract<D>(in.salt, in.ikm), prk);
    detail::requireSameBytes("own hkdfExpand == generic HKDF", zelkor::hkdfExpand<D>(prk, in.info, length),
                             zelkor::detail::genericHkdfExpand<D>(prk, in.info, length));
}

template <Hash D>
void ownPbkdf2MatchesGeneric(const ByteString& material) {
    const Pbkdf2Inputs in = drawPbkdf2Inputs(material);
    const std::size_t length = drawLength(static_cast<std::size_t>(D::outputLength) / 8, false);
    detail::requireSameBytes("own pbkdf2 == generic PBKDF2", zelkor::pbkdf2<D>(in.password, in.salt, in.iterations, length),
                             zelkor::detail::genericPbkdf2<D>(in.password, in.salt, in.iterations, length));
}

}  // namespace zelkor::tests::kdf_detail
