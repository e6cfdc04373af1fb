#pragma once
// CMAC (zelkor/Cmac.hpp) of a block cipher: the conformance of its own cmac
// member to the generic CMAC over its own encryptBlock.

#include <vector>

#include <rapidcheck.h>

#include "zelkor/ByteString.hpp"
#include "zelkor/Cmac.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/cipher/BlockCipherPropTests.hpp"
#include "zelkor/tests/detail/mac/MacPropTests.hpp"

namespace zelkor::tests {

namespace cmac_detail {

// The own cmac and the generic CMAC give the same full tag, for the message
// contiguous and cut around block boundaries.
template <CmacBlockCipher K>
void ownCmacMatchesGeneric(const ByteString& keyMaterial, const ByteString& material) {
    const K key = detail::keyOrDiscard<K>(keyMaterial);
    const ByteString message = mac_detail::drawMessage(material);
    const ByteString generic = zelkor::detail::genericCmac(key, std::vector<ByteString>{message});
    detail::requireSameBytes("own cmac == generic CMAC", zelkor::cmac(key, message), generic);
    detail::requireSameBytes("own cmac of the chunked message == generic CMAC",
                             zelkor::cmac(key, mac_detail::cutAroundBlocks(message)), generic);
}

}  // namespace cmac_detail

// One group, "CMAC conformance". For K with its own cmac: the own member
// against the generic CMAC over K's own encryptBlock, on random keys and
// messages of lengths around the block boundaries (every subkey case: the
// last block complete or padded, E(0) with its top bit set or not). For K
// without: one case saying that its CMAC is the generic one, checked by the
// known answers only.
template <CmacBlockCipher K>
std::vector<Test> makeCMACConformanceTests() {
    std::vector<Test> tests;
    if constexpr (zelkor::detail::UsesOwn_cmac<K>) {
        tests.push_back(testProperty("OwnCMACMatchesGeneric", &cmac_detail::ownCmacMatchesGeneric<K>));
    } else {
        tests.push_back(testCase("no own cmac member (the generic CMAC is checked by the known answers only)", [] {}));
    }
    return {testGroup("CMAC conformance", std::move(tests))};
}

template <CmacBlockCipher K>
std::vector<Test> makeCMACConformanceTests(const K&) {
    return makeCMACConformanceTests<K>();
}

}  // namespace zelkor::tests
