#pragma once
// The constant-time group of an AEAD (see ConstantTime.hpp): sealing a secret
// plaintext under a key built from secret bytes, and opening under that key,
// where the count of reports must not depend on where a forged tag differs.
// The nonce, AAD, ciphertext and tag are public. Nonce and tag take the
// type's first declared nonce length and its longest declared tag length.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "zelkor/Aead.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/ConstantTime.hpp"
#include "zelkor/tests/ConstantTime.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/aead/AeadPropTests.hpp"
#include "zelkor/tests/detail/checks/ConstantTimeChecks.hpp"

namespace zelkor::tests {

namespace aead_detail {

template <Aead A>
A ctAeadKey(const ByteString& bytes) {
    std::optional<A> key = A::buildKey(bytes);
    if (!key) throw AssertionFailure("buildKey refused a key of " + std::to_string(bytes.size()) + " bytes");
    return std::move(*key);
}

// The lengths the calls use; AssertionFailure when the type declares none.
template <Aead A>
std::pair<std::size_t, std::size_t> ctLengths() {
    if (nonceLengths<A>().empty() || tagLengths<A>().empty()) {
        throw AssertionFailure("the type declares no nonce or no tag length");
    }
    return {nonceLengths<A>().front(), tagLengths<A>().back()};
}

template <Aead A>
void ctSeal() {
    detail::SecretCalls calls;
    const std::size_t nonceBytes = ctLengths<A>().first, tagBytes = ctLengths<A>().second;
    const ByteString keyBytes = detail::patternBytes(static_cast<std::size_t>(A::keyLength) / 8, 1);
    const A key = ctAeadKey<A>(keyBytes);
    const A secretKey = ctAeadKey<A>(calls.secret(keyBytes));
    const ByteString nonce = detail::patternBytes(nonceBytes, 10), aad = detail::patternBytes(5, 9);
    const ByteString plaintext = detail::patternBytes(67, 3);
    const ByteString secretPlaintext = calls.secret(plaintext);
    const auto bytesOf = [](const AeadSealed& sealed) { return sealed.ciphertext + sealed.tag; };
    calls.check(
        "seal", [&] { return bytesOf(secretKey.seal(nonce, aad, secretPlaintext, tagBytes)); },
        [&] { return bytesOf(key.seal(nonce, aad, plaintext, tagBytes)); });
    calls.requireNone();
}

// With the valid tag the result must be the plaintext, with a tag forged at
// its first byte and one forged at its last none; the accept/reject decision
// may be reported, but its count must be the same for both forgeries.
template <Aead A>
void ctOpen() {
    detail::SecretCalls calls;
    const std::size_t nonceBytes = ctLengths<A>().first, tagBytes = ctLengths<A>().second;
    const ByteString keyBytes = detail::patternBytes(static_cast<std::size_t>(A::keyLength) / 8, 1);
    const A key = ctAeadKey<A>(keyBytes);
    const A secretKey = ctAeadKey<A>(calls.secret(keyBytes));
    const ByteString nonce = detail::patternBytes(nonceBytes, 10), aad = detail::patternBytes(5, 9);
    const AeadSealed sealed = key.seal(nonce, aad, detail::patternBytes(67, 3), tagBytes);
    const ByteString tags[3] = {sealed.tag, flipBit(sealed.tag, 0), flipBit(sealed.tag, 8 * tagBytes - 1)};
    std::uint64_t counts[3] = {};
    for (int i = 0; i < 3; ++i) {
        const ByteString& tag = tags[i];
        counts[i] = calls.run(
            i == 0 ? "open (valid tag)" : "open (forged tag)",
            [&] { return secretKey.open(nonce, aad, sealed.ciphertext, tag); },
            [&] { return key.open(nonce, aad, sealed.ciphertext, tag); });
    }
    if (counts[1] != counts[2]) calls.problem(detail::openFinding("open", counts[0], counts[1], counts[2]));
    calls.requireNone();
    detail::noteOpen("open", counts[0], counts[1], counts[2]);
}

}  // namespace aead_detail

// One group, "AEAD constant time": seal, and open with forged tags.
template <Aead A>
std::vector<Test> makeAeadConstantTimeTests() {
    using namespace aead_detail;
    const char* const name = "AEAD constant time";
    if (!constantTimeCheckerActive()) {
        return {testGroup(name, {detail::constantTimeUnavailableCase(kConstantTimeCheckerBuilt)})};
    }
    return {testGroup(name, {testCase("seal", &ctSeal<A>),
                             testCase("open (count independent of the forged tag byte)", &ctOpen<A>)})};
}

template <Aead A>
std::vector<Test> makeAeadConstantTimeTests(const A&) {
    return makeAeadConstantTimeTests<A>();
}

}  // namespace zelkor::tests
