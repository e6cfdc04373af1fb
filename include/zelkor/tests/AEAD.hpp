#pragma once
// Tests for any AEAD (zelkor/Aead.hpp), over the nonce and tag lengths its
// type declares.

#include <vector>

#include "zelkor/Aead.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/aead/AeadPropTests.hpp"

namespace zelkor::tests {

// One group, "AEAD properties": open undoes seal for plaintexts of 0 to 8193
// bytes and AAD of 0 to 8193 bytes, under every declared nonce and tag length
// (sampled when there are many); a changed bit of the ciphertext, tag, AAD or
// nonce, and a tag one byte longer or (where that length is not declared)
// shorter, give no plaintext; the same inputs give the same output and another
// nonce another one (left out when the only nonce is the empty one); and the
// case "UndeclaredLengthsAreRefused": undeclared nonce and tag lengths (0, one
// more and one less than each declared length, and 8, 12, 16, 24 and 32
// bytes) are refused by seal and open with an exception. A type declaring
// more than one associated-data string adds "AadStringsAreKeptApart" (the
// same bytes split in two strings give another tag) and the case
// "AadStringCountIsDeclared" (the declared number is taken, one more refused).
template <Aead A>
std::vector<Test> makeAeadPropertyTests() {
    using namespace aead_detail;
    std::vector<Test> tests = {
        testProperty("SealThenOpen", &sealThenOpen<A>),
        testProperty("AnyChangedBitIsRejected", &anyChangedBitIsRejected<A>),
        testProperty("ChangedTagLengthIsRejected", &changedTagLengthIsRejected<A>),
        testProperty("SameInputsSameOutput", &sameInputsSameOutput<A>),
    };
    const auto& nonces = nonceLengths<A>();
    if (!(nonces.size() == 1 && nonces.front() == 0)) {
        tests.push_back(testProperty("OtherNonceOtherOutput", &otherNonceOtherOutput<A>));
    }
    tests.push_back(testCase("UndeclaredLengthsAreRefused", &undeclaredLengthsAreRefused<A>));
    if constexpr (maxAadStringsOf<A>() > 1) {
        tests.push_back(testProperty("AadStringsAreKeptApart", &aadStringsAreKeptApart<A>));
        tests.push_back(testCase("AadStringCountIsDeclared", &aadStringCountIsDeclared<A>));
    }
    return {testGroup("AEAD properties", std::move(tests))};
}

// The witness only selects the type.
template <Aead A>
std::vector<Test> makeAeadPropertyTests(const A&) {
    return makeAeadPropertyTests<A>();
}

}  // namespace zelkor::tests
