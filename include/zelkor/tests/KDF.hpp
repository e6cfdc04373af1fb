#pragma once
// Tests for HKDF and PBKDF2 types (zelkor/Kdf.hpp): their properties, the
// conformance of a digest's own HKDF and PBKDF2 members to the generic ones
// over its hmac, and their buffer safety.

#include <cstddef>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/ByteString.hpp"
#include "zelkor/Kdf.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/checks/BufferSafetyChecks.hpp"
#include "zelkor/tests/detail/kdf/KdfPropTests.hpp"

namespace zelkor::tests {

// One group, "KDF properties": derive and expand give exactly the length
// asked for (up to 255 hash lengths) and extract a hash length; derive is
// expand of extract; a shorter output is the prefix of a longer one; an empty
// salt is a salt of hash-length zeros; and the case
// "OverLongOutputRefused": 255 hash lengths in full, more refused with an
// exception by derive and expand, never cut short.
template <Hkdf H>
std::vector<Test> makeHkdfPropertyTests() {
    using namespace kdf_detail;
    return {testGroup("KDF properties", {testProperty("ExactLength", &hkdfExactLength<H>),
                                         testProperty("ShorterIsPrefix", &hkdfShorterIsPrefix<H>),
                                         testProperty("EmptySaltIsZeros", &hkdfEmptySaltIsZeros<H>),
                                         testCase("OverLongOutputRefused", &hkdfOverLongOutputRefused<H>)})};
}

// One group, "KDF properties": exactly the length asked for; a shorter output
// is the prefix of a longer one; one iteration more changes the output; and
// the case "ZeroIterationsRefused" (with an exception).
template <Pbkdf2 P>
std::vector<Test> makePbkdf2PropertyTests() {
    using namespace kdf_detail;
    return {testGroup("KDF properties", {testProperty("ExactLength", &pbkdf2ExactLength<P>),
                                         testProperty("ShorterIsPrefix", &pbkdf2ShorterIsPrefix<P>),
                                         testProperty("MoreIterationsDiffer", &pbkdf2MoreIterationsDiffer<P>),
                                         testCase("ZeroIterationsRefused", &pbkdf2ZeroIterationsRefused<P>)})};
}

// One group, "HKDF conformance": a digest's own hkdfExtract and hkdfExpand
// against the generic HKDF over its hmac on random inputs, or one case saying
// that it has none.
template <Hash D>
std::vector<Test> makeHKDFConformanceTests() {
    std::vector<Test> tests;
    if constexpr (zelkor::detail::UsesOwn_hkdfExtract<D> || zelkor::detail::UsesOwn_hkdfExpand<D>) {
        tests.push_back(testProperty("OwnHKDFMatchesGeneric", &kdf_detail::ownHkdfMatchesGeneric<D>));
    } else {
        tests.push_back(testCase("no own HKDF members (the generic HKDF is checked by the known answers only)", [] {}));
    }
    return {testGroup("HKDF conformance", std::move(tests))};
}

// One group, "PBKDF2 conformance", the same for an own pbkdf2.
template <Hash D>
std::vector<Test> makePBKDF2ConformanceTests() {
    std::vector<Test> tests;
    if constexpr (zelkor::detail::UsesOwn_pbkdf2<D>) {
        tests.push_back(testProperty("OwnPBKDF2MatchesGeneric", &kdf_detail::ownPbkdf2MatchesGeneric<D>));
    } else {
        tests.push_back(testCase("no own pbkdf2 member (the generic PBKDF2 is checked by the known answers only)", [] {}));
    }
    return {testGroup("PBKDF2 conformance", std::move(tests))};
}

namespace kdf_detail {

using KdfSafetyCase = detail::SafetyCaseOf<16, 0>;

// derive with IKM, salt and info placed, and expand with PRK and info placed.
template <Hkdf H>
void placedHkdf(const KdfSafetyCase& c) {
    const std::size_t length = hashBytesOf<H>() + 1;
    detail::Placer placer(c.placements);
    placer.newCall();
    const ByteString ikm = placer.place("IKM", c.key), salt = placer.place("salt", c.iv);
    const ByteString info = placer.place("info", c.message);
    detail::requireSafeCall("derive", placer.arguments(), [&](bool p) {
        return p ? H::derive(ikm, salt, info, length) : H::derive(c.key, c.iv, c.message, length);
    });
    const ByteString prk = H::extract(c.iv, c.key);
    placer.newCall();
    const ByteString placedPrk = placer.place("PRK", prk), expandInfo = placer.place("info", c.message);
    detail::requireSafeCall("expand", placer.arguments(), [&](bool p) {
        return p ? H::expand(placedPrk, expandInfo, length) : H::expand(prk, c.message, length);
    });
}

template <Pbkdf2 P>
void placedPbkdf2(const KdfSafetyCase& c) {
    const std::size_t length = hashBytesOf<P>() + 1;
    detail::Placer placer(c.placements);
    placer.newCall();
    const ByteString password = placer.place("password", c.key), salt = placer.place("salt", c.message);
    detail::requireSafeCall("derive", placer.arguments(), [&](bool p) {
        return p ? P::derive(password, salt, 2, length) : P::derive(c.key, c.message, 2, length);
    });
}

}  // namespace kdf_detail

// One group, "KDF buffer safety": the inputs of derive (and HKDF's expand)
// placed against an inaccessible page and read-only during the call.
template <class K>
    requires Hkdf<K> || Pbkdf2<K>
std::vector<Test> makeKdfBufferSafetyTests() {
    const char* const name = "KDF buffer safety";
    if (!detail::placementAvailable() || !detail::faultGuardAvailable()) {
        return {testGroup(name, {detail::placementUnavailableCase()})};
    }
    if constexpr (Hkdf<K>) {
        return {testGroup(name, {testProperty("PlacedInputs", &kdf_detail::placedHkdf<K>)})};
    } else {
        return {testGroup(name, {testProperty("PlacedInputs", &kdf_detail::placedPbkdf2<K>)})};
    }
}

}  // namespace zelkor::tests
