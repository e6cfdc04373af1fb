#pragma once
// Tests of CCM (zelkor/Ccm.hpp): NIST's known answers for any AEAD that is
// AES-CCM, and the conformance of a block cipher's own CCM members to the
// generic CCM over its own encryptBlock.

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zelkor/Aead.hpp"
#include "zelkor/Ccm.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/aead/CcmPropTests.hpp"
#include "zelkor/tests/detail/aead/GcmKnownAnswers.hpp"
#include "zelkor/tests/detail/formats/CcmVectors.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace zelkor::tests {

namespace ccm_detail {

// One case per category of the CCM files of Test/<directory> with records of
// A's key size, checking all its records: records without a Result are
// sealed (ciphertext and tag) and opened back, those with one are opened (Pass:
// the payload; Fail: no plaintext or an exception). Categories of nonce or tag
// lengths A does not declare are skipped with the reason.
template <Aead A>
std::vector<Test> nistTests(std::string_view directory) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(directory));
    std::vector<Test> out;
    for (gcm_detail::NistGcmCategoryData& category : loadNistCcm(directory, A::keyLength, *usage)) {
        CaseOrigin origin = lineOrigin(category.file, category.records->front().line(), usage);
        origin.records = category.records->size();
        std::string name = category.name;
        gcm_detail::NistGcmCategory<A> run{category.name, std::string(detail::fileNameOf(category.file)),
                                           category.encrypt, std::move(category.records)};
        out.push_back(testCase(std::move(name), std::move(run), std::move(origin)));
    }
    detail::requireUsableVectors(out, usage);
    return out;
}

}  // namespace ccm_detail

// One group, "CCM conformance". For K with its own ccmEncrypt or ccmDecrypt:
// the own members against the generic CCM over K's own encryptBlock, for every
// nonce and tag length CCM takes and AAD on both sides of the change of its
// length encoding. For K without: one case saying that its CCM is the generic
// one, checked by the known answers only.
template <CcmBlockCipher K>
std::vector<Test> makeCCMConformanceTests() {
    std::vector<Test> tests;
    if constexpr (zelkor::detail::UsesOwn_ccmEncrypt<K> || zelkor::detail::UsesOwn_ccmDecrypt<K>) {
        tests.push_back(testProperty("OwnCCMMatchesGeneric", &ccm_detail::ownCcmMatchesGeneric<K>));
    } else {
        tests.push_back(testCase("no own CCM members (the generic CCM is checked by the known answers only)", [] {}));
    }
    return {testGroup("CCM conformance", std::move(tests))};
}

template <CcmBlockCipher K>
std::vector<Test> makeCCMConformanceTests(const K&) {
    return makeCCMConformanceTests<K>();
}

}  // namespace zelkor::tests
