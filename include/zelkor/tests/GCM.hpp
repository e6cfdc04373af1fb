#pragma once
// Tests of GCM (zelkor/Gcm.hpp) for AES types: NIST's known answers, the
// Wycheproof AES-GCM tests, the AEAD properties, and the conformance of a
// type's own GCM members to the generic GCM over its own encryptBlock.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "zelkor/Aead.hpp"
#include "zelkor/Gcm.hpp"
#include "zelkor/tests/AEAD.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/aead/GcmKnownAnswers.hpp"
#include "zelkor/tests/detail/aead/GcmPropTests.hpp"
#include "zelkor/tests/detail/formats/GcmVectors.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"
#include "zelkor/tests/detail/formats/Wycheproof.hpp"

namespace zelkor::tests {

namespace gcm_detail {

// The NIST cases of makeAESGCMTests, without the property group.
template <GcmKnownAnswerType K>
std::vector<Test> nistCategoryTests() {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(gcm_detail::kNistGcmDirectory));
    std::vector<Test> out;
    for (gcm_detail::NistGcmCategoryData& category : gcm_detail::loadNistGcm(K::keyLength, *usage)) {
        CaseOrigin origin = lineOrigin(category.file, category.records->front().line(), usage);
        origin.records = category.records->size();
        std::string name = category.name;
        gcm_detail::NistGcmCategory<K> run{category.name, std::string(detail::fileNameOf(category.file)),
                                           category.encrypt, std::move(category.records)};
        out.push_back(testCase(std::move(name), std::move(run), std::move(origin)));
    }
    detail::requireUsableVectors(out, usage);
    return out;
}

}  // namespace gcm_detail

// Reads Test/KAT_AES_GCM now and returns one case per file category with
// records of K's key size, named "<file name>-<property><value>..." (e.g.
// "gcmDecrypt128.rsp-Keylen128-IVlen96-PTlen0-AADlen0-Taglen128"), in listing
// and category order. A case checks every record of its category and reports
// each failing one at its file:line: encryption files through gcmEncrypt (and
// gcmDecrypt back), decryption files through gcmDecrypt, which must give no
// plaintext for records marked FAIL. Records of other key sizes are skipped and
// counted; with none usable, the case "no usable vectors". Then the group
// "AEAD properties".
//
// K is a block cipher with 128-bit blocks, or an AEAD that is GCM (zelkor::Aead,
// seal and open checked in place of gcmEncrypt and gcmDecrypt). A type that
// declares its nonce and tag lengths (an AEAD always does; a block cipher may,
// with static acceptsNonce and acceptsTag) gets the categories and tests of
// other lengths skipped with the reason ("nonce length 8 not accepted by the
// type") and the group of makeAeadPropertyTests over its declared lengths.
template <gcm_detail::GcmKnownAnswerType K>
std::vector<Test> makeAESGCMTests() {
    std::vector<Test> out = gcm_detail::nistCategoryTests<K>();
    if constexpr (gcm_detail::DeclaresGcmLengths<K>) {
        // Properties over the declared lengths only.
        for (Test& group : makeAeadPropertyTests<typename gcm_detail::AeadOf<K>::type>()) {
            out.push_back(std::move(group));
        }
    } else {
        out.push_back(testGroup("AEAD properties",
                                {testProperty("EncryptThenDecrypt", &gcm_detail::encryptThenDecrypt<K>),
                                 testProperty("AnyChangedBitIsRejected", &gcm_detail::anyChangedBitIsRejected<K>),
                                 testProperty("ShorterTagIsPrefix", &gcm_detail::shorterTagIsPrefix<K>)}));
    }
    return out;
}

template <gcm_detail::GcmKnownAnswerType K>
std::vector<Test> makeAESGCMTests(const K&) {
    return makeAESGCMTests<K>();
}

// Reads Wycheproof/aes_gcm_test.json now and returns one case per test of K's
// key size, named "aes_gcm_test.json-<tcId>" and located at the test's line. A
// failure quotes the test's comment, flags and result. Valid tests: gcmEncrypt
// gives exactly ct and tag, gcmDecrypt gives msg back. Invalid ones: gcmDecrypt
// gives no plaintext or refuses the parameters with an exception.
template <gcm_detail::GcmKnownAnswerType K>
std::vector<Test> makeAESGCMWycheproofTests() {
    auto usage =
        std::make_shared<detail::VectorUsage>(detail::wycheproofPath(gcm_detail::kWycheproofGcmFile));
    std::vector<Test> out;
    for (gcm_detail::WycheproofGcmCase& wycheproof : gcm_detail::loadWycheproofGcm(K::keyLength, *usage)) {
        CaseOrigin origin = lineOrigin(wycheproof.file, wycheproof.line, usage);
        out.push_back(testCase(
            std::move(wycheproof.name),
            [test = std::move(wycheproof.test), origin] { gcm_detail::runWycheproofGcm<K>(test, origin); },
            origin));
    }
    detail::requireUsableVectors(out, usage);
    return out;
}

template <gcm_detail::GcmKnownAnswerType K>
std::vector<Test> makeAESGCMWycheproofTests(const K&) {
    return makeAESGCMWycheproofTests<K>();
}

// One group, "GCM conformance". For K with its own gcmEncrypt or gcmDecrypt:
// the own members against the generic GCM over K's own encryptBlock, on random
// inputs and on IVs whose initial counter is about to wrap in its low 32 bits.
// For K without: one case saying that its GCM is the generic one, checked by
// the known answers only.
template <GcmBlockCipher K>
std::vector<Test> makeGCMConformanceTests() {
    std::vector<Test> tests;
    if constexpr (zelkor::detail::UsesOwn_gcmEncrypt<K> || zelkor::detail::UsesOwn_gcmDecrypt<K>) {
        tests.push_back(testProperty("OwnGCMMatchesGeneric", &gcm_detail::ownGcmMatchesGeneric<K>));
        tests.push_back(testProperty("CounterWrapsWithin32Bits", &gcm_detail::counterWrapsWithin32Bits<K>));
    } else {
        tests.push_back(testCase("no own GCM members (the generic GCM is checked by the known answers only)", [] {}));
    }
    return {testGroup("GCM conformance", std::move(tests))};
}

template <GcmBlockCipher K>
std::vector<Test> makeGCMConformanceTests(const K&) {
    return makeGCMConformanceTests<K>();
}

}  // namespace zelkor::tests
