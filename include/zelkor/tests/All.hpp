#pragma once
// Every check that applies to one algorithm, from one call:
// makeAllTests<MySHA256>(Algorithm::SHA256) gives one subgroup per kind of
// check that the algorithm's row in the table (Algorithms.hpp) gives it
// ("Known answers", "Monte Carlo", "HMAC", "Conformance", ...), each holding
// what makeCheckTests gives for that kind.

#include <vector>

#include "zelkor/Aead.hpp"
#include "zelkor/BlockCipher.hpp"
#include "zelkor/Hash.hpp"
#include "zelkor/KeyWrap.hpp"
#include "zelkor/StreamCipher.hpp"
#include "zelkor/Xof.hpp"
#include "zelkor/Kdf.hpp"
#include "zelkor/Mac.hpp"
#include "zelkor/tests/Algorithms.hpp"
#include "zelkor/tests/Checks.hpp"
#include "zelkor/tests/Test.hpp"

namespace zelkor::tests {

// Every check that applies to `algorithm` for the digest, block cipher, AEAD,
// MAC or KDF P, one group per kind (a block cipher on a CMAC row is tested as
// CmacMac<P>, a digest on an HKDF or PBKDF2 row as HkdfOver<P> or
// Pbkdf2Over<P>). An algorithm that P cannot be (another output or
// block length, block or key size, nonce or tag length it does not take, a
// cipher for a digest) is refused with std::invalid_argument naming both.
template <class P>
    requires Hash<P> || BlockCipher<P> || Aead<P> || StreamCipher<P> || KeyWrap<P> || Xof<P> || Mac<P> || Hkdf<P> ||
             Pbkdf2<P>
std::vector<Test> makeAllTests(Algorithm algorithm) {
    const AlgorithmRow& row = checks_detail::rowFor<P>("makeAllTests", algorithm);
    std::vector<Test> groups;
    for (CheckKind kind : row.checks()) {
        groups.push_back(testGroup(std::string(checkKindName(kind)), checks_detail::checksFor<P>(row, kind)));
    }
    return groups;
}

template <class P>
    requires Hash<P> || BlockCipher<P> || Aead<P> || StreamCipher<P> || KeyWrap<P> || Xof<P> || Mac<P> || Hkdf<P> ||
             Pbkdf2<P>
std::vector<Test> makeAllTests(const P&, Algorithm algorithm) {
    return makeAllTests<P>(algorithm);
}

}  // namespace zelkor::tests
