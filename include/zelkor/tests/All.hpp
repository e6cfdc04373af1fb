#pragma once
// Every check that applies to one algorithm, from one call:
// makeAllTests<MySHA256>(Algorithm::SHA256) gives one subgroup per kind of
// check ("Known answers", "Monte Carlo", "HMAC", "Conformance", ...), each
// holding what the builders of that kind return, unchanged.

#include <initializer_list>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/Hash.hpp"
#include "zelkor/tests/AES.hpp"
#include "zelkor/tests/BufferSafety.hpp"
#include "zelkor/tests/Conformance.hpp"
#include "zelkor/tests/ConstantTime.hpp"
#include "zelkor/tests/GCM.hpp"
#include "zelkor/tests/HMAC.hpp"
#include "zelkor/tests/MD5.hpp"
#include "zelkor/tests/SHA.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/TwoFish.hpp"

namespace zelkor::tests {

enum class Algorithm {
    MD5, SHA1, SHA224, SHA256, SHA384, SHA512, SHA512_224, SHA512_256,
    SHA3_224, SHA3_256, SHA3_384, SHA3_512,
    AES128, AES192, AES256, Twofish,
};

// The algorithm's name as written above, e.g. "SHA512_256".
std::string_view algorithmName(Algorithm algorithm);
std::ostream& operator<<(std::ostream& os, Algorithm algorithm);

namespace all_detail {

using Builder = std::vector<Test> (*)();

struct Kind {
    const char* name;
    std::vector<Builder> builders;
};

// One group per kind, holding the builders' output in order.
std::vector<Test> subgroups(const std::vector<Kind>& kinds);

// The shape a digest or cipher type must have to be tested as `algorithm`;
// each throws std::invalid_argument naming the algorithm and the type's
// figures when it does not fit.
void requireDigestShape(Algorithm algorithm, int outputLength, int blockLength);
void requireCipherShape(Algorithm algorithm, int blockSize, int keyLength);

template <Hash D>
std::vector<Test> digestTests(Algorithm algorithm) {
    requireDigestShape(algorithm, D::outputLength, D::blockLength);
    // The kinds every digest has, after those of its own.
    const auto withCommonKinds = [](Kind knownAnswers, std::initializer_list<Kind> own, Builder longMessages) {
        std::vector<Kind> kinds{knownAnswers};
        kinds.insert(kinds.end(), own.begin(), own.end());
        kinds.push_back({"Conformance", {&makeHashConformanceTests<D>}});
        kinds.push_back({"Buffer safety", {&makeHashBufferSafetyTests<D>}});
        kinds.push_back({"Long messages", {longMessages}});
        kinds.push_back({"Constant time", {&makeHashConstantTimeTests<D>}});
        return subgroups(kinds);
    };
    switch (algorithm) {
    case Algorithm::MD5:
        return withCommonKinds({"Known answers", {&makeMD5Tests<D>, &makeMD5LengthTests<D>}},
                               {{"HMAC", {&makeMD5RFCHMACTests<D>}}}, &makeMD5LongMessageTests<D>);
    case Algorithm::SHA1:
        return withCommonKinds({"Known answers", {&makeSHA1Tests<D>}},
                               {{"Monte Carlo", {&makeSHA1MonteTests<D>}},
                                {"HMAC",
                                 {&makeSHA1HMACTests<D>, &makeSHA1RFCHMACTests<D>,
                                  &makeSHA1WycheproofHMACTests<D>}}},
                               &makeSHA1LongMessageTests<D>);
    case Algorithm::SHA224:
        return withCommonKinds({"Known answers", {&makeSHA224Tests<D>}},
                               {{"Monte Carlo", {&makeSHA224MonteTests<D>}},
                                {"HMAC",
                                 {&makeSHA224HMACTests<D>, &makeSHA224RFCHMACTests<D>,
                                  &makeSHA224WycheproofHMACTests<D>}}},
                               &makeSHA224LongMessageTests<D>);
    case Algorithm::SHA256:
        return withCommonKinds({"Known answers", {&makeSHA256Tests<D>}},
                               {{"Monte Carlo", {&makeSHA256MonteTests<D>}},
                                {"HMAC",
                                 {&makeSHA256HMACTests<D>, &makeSHA256RFCHMACTests<D>,
                                  &makeSHA256WycheproofHMACTests<D>}}},
                               &makeSHA256LongMessageTests<D>);
    case Algorithm::SHA384:
        return withCommonKinds({"Known answers", {&makeSHA384Tests<D>}},
                               {{"Monte Carlo", {&makeSHA384MonteTests<D>}},
                                {"HMAC",
                                 {&makeSHA384HMACTests<D>, &makeSHA384RFCHMACTests<D>,
                                  &makeSHA384WycheproofHMACTests<D>}}},
                               &makeSHA384LongMessageTests<D>);
    case Algorithm::SHA512:
        return withCommonKinds({"Known answers", {&makeSHA512Tests<D>}},
                               {{"Monte Carlo", {&makeSHA512MonteTests<D>}},
                                {"HMAC",
                                 {&makeSHA512HMACTests<D>, &makeSHA512RFCHMACTests<D>,
                                  &makeSHA512WycheproofHMACTests<D>}}},
                               &makeSHA512LongMessageTests<D>);
    case Algorithm::SHA512_224:
        return withCommonKinds({"Known answers", {&makeSHA512_224Tests<D>}},
                               {{"Monte Carlo", {&makeSHA512_224MonteTests<D>}},
                                {"HMAC", {&makeSHA512_224WycheproofHMACTests<D>}}},
                               &makeSHA512_224LongMessageTests<D>);
    case Algorithm::SHA512_256:
        return withCommonKinds({"Known answers", {&makeSHA512_256Tests<D>}},
                               {{"Monte Carlo", {&makeSHA512_256MonteTests<D>}},
                                {"HMAC", {&makeSHA512_256WycheproofHMACTests<D>}}},
                               &makeSHA512_256LongMessageTests<D>);
    case Algorithm::SHA3_224:
        return withCommonKinds({"Known answers", {&makeSHA3_224Tests<D>}},
                               {{"Monte Carlo", {&makeSHA3_224MonteTests<D>}},
                                {"HMAC", {&makeSHA3_224WycheproofHMACTests<D>}}},
                               &makeSHA3_224LongMessageTests<D>);
    case Algorithm::SHA3_256:
        return withCommonKinds({"Known answers", {&makeSHA3_256Tests<D>}},
                               {{"Monte Carlo", {&makeSHA3_256MonteTests<D>}},
                                {"HMAC", {&makeSHA3_256WycheproofHMACTests<D>}}},
                               &makeSHA3_256LongMessageTests<D>);
    case Algorithm::SHA3_384:
        return withCommonKinds({"Known answers", {&makeSHA3_384Tests<D>}},
                               {{"Monte Carlo", {&makeSHA3_384MonteTests<D>}},
                                {"HMAC", {&makeSHA3_384WycheproofHMACTests<D>}}},
                               &makeSHA3_384LongMessageTests<D>);
    case Algorithm::SHA3_512:
        return withCommonKinds({"Known answers", {&makeSHA3_512Tests<D>}},
                               {{"Monte Carlo", {&makeSHA3_512MonteTests<D>}},
                                {"HMAC", {&makeSHA3_512WycheproofHMACTests<D>}}},
                               &makeSHA3_512LongMessageTests<D>);
    default: break;
    }
    throw std::logic_error("makeAllTests: no digest checks for " + std::string(algorithmName(algorithm)));
}

template <BlockCipher K>
std::vector<Test> cipherTests(Algorithm algorithm) {
    requireCipherShape(algorithm, K::blockSize, K::keyLength);
    const Kind conformance{"Conformance", {&makeBlockCipherConformanceTests<K>}};
    const Kind bufferSafety{"Buffer safety", {&makeBlockCipherBufferSafetyTests<K>}};
    if (algorithm == Algorithm::Twofish) {
        return subgroups({{"Known answers", {&makeTwoFishTests<K>}}, conformance, bufferSafety,
                          {"Constant time", {&makeBlockCipherConstantTimeTests<K>}}});
    }
    return subgroups({{"Known answers", {&makeAESTests<K>}},
                      {"CTR", {&makeAESCTRTests<K>}},
                      {"GCM", {&makeAESGCMTests<K>, &makeAESGCMWycheproofTests<K>, &makeGCMConformanceTests<K>}},
                      conformance,
                      bufferSafety,
                      {"Constant time", {&makeBlockCipherConstantTimeTests<K>, &makeGCMConstantTimeTests<K>}}});
}

}  // namespace all_detail

// Every check that applies to `algorithm` for the digest or block cipher P,
// one group per kind. An algorithm that P cannot be (another output or block
// length, block or key size, a cipher for a digest) is refused with
// std::invalid_argument naming both.
template <class P>
    requires Hash<P> || BlockCipher<P>
std::vector<Test> makeAllTests(Algorithm algorithm) {
    if constexpr (Hash<P>) {
        return all_detail::digestTests<P>(algorithm);
    } else {
        return all_detail::cipherTests<P>(algorithm);
    }
}

template <class P>
    requires Hash<P> || BlockCipher<P>
std::vector<Test> makeAllTests(const P&, Algorithm algorithm) {
    return makeAllTests<P>(algorithm);
}

}  // namespace zelkor::tests
