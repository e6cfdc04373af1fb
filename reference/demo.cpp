// Runs every suite of zelkor-tests against the reference primitives, one
// top-level group per primitive, and prints GoogleTest's report and a summary.
// The vector files come from the data directory (zelkor_tests_datadir).

#include <exception>
#include <iostream>
#include <vector>

#include "ReferencePrimitives.hpp"
#include "zelkor/tests/AES.hpp"
#include "zelkor/tests/Conformance.hpp"
#include "zelkor/tests/GCM.hpp"
#include "zelkor/tests/GTest.hpp"
#include "zelkor/tests/HMAC.hpp"
#include "zelkor/tests/MD5.hpp"
#include "zelkor/tests/SHA.hpp"
#include "zelkor/tests/TwoFish.hpp"

using namespace zelkor;
using namespace zelkor::tests;

namespace {

// The conformance groups of every reference primitive, under one group.
Test conformance() {
    namespace ref = zelkor::reference;
    return testGroup("Conformance",
                     {
                         testGroup("MD5", makeHashConformanceTests<ref::MD5>()),
                         testGroup("SHA1", makeHashConformanceTests<ref::SHA1>()),
                         testGroup("SHA224", makeHashConformanceTests<ref::SHA224>()),
                         testGroup("SHA256", makeHashConformanceTests<ref::SHA256>()),
                         testGroup("SHA384", makeHashConformanceTests<ref::SHA384>()),
                         testGroup("SHA512", makeHashConformanceTests<ref::SHA512>()),
                         testGroup("AES128", makeBlockCipherConformanceTests<ref::AES128>()),
                         testGroup("AES192", makeBlockCipherConformanceTests<ref::AES192>()),
                         testGroup("AES256", makeBlockCipherConformanceTests<ref::AES256>()),
                         testGroup("Twofish", makeBlockCipherConformanceTests<ref::Twofish>()),
                     });
}

std::vector<Test> allSuites() {
    namespace ref = zelkor::reference;
    return {
        testGroup("MD5", makeMD5Tests<ref::MD5>()),
        testGroup("SHA1", makeSHA1Tests<ref::SHA1>()),
        testGroup("SHA224", makeSHA224Tests<ref::SHA224>()),
        testGroup("SHA256", makeSHA256Tests<ref::SHA256>()),
        testGroup("SHA384", makeSHA384Tests<ref::SHA384>()),
        testGroup("SHA512", makeSHA512Tests<ref::SHA512>()),
        testGroup("SHA512_224", makeSHA512_224Tests<ref::SHA512_224>()),
        testGroup("SHA512_256", makeSHA512_256Tests<ref::SHA512_256>()),
        testGroup("SHA3_224", makeSHA3_224Tests<ref::SHA3_224>()),
        testGroup("SHA3_256", makeSHA3_256Tests<ref::SHA3_256>()),
        testGroup("SHA3_384", makeSHA3_384Tests<ref::SHA3_384>()),
        testGroup("SHA3_512", makeSHA3_512Tests<ref::SHA3_512>()),
        testGroup("HMAC_SHA1", makeSHA1HMACTests<ref::SHA1>()),
        testGroup("HMAC_SHA224", makeSHA224HMACTests<ref::SHA224>()),
        testGroup("HMAC_SHA256", makeSHA256HMACTests<ref::SHA256>()),
        testGroup("HMAC_SHA384", makeSHA384HMACTests<ref::SHA384>()),
        testGroup("HMAC_SHA512", makeSHA512HMACTests<ref::SHA512>()),
        testGroup("AES128", makeAESTests<ref::AES128>()),
        testGroup("AES192", makeAESTests<ref::AES192>()),
        testGroup("AES256", makeAESTests<ref::AES256>()),
        testGroup("Twofish", makeTwoFishTests<ref::Twofish>()),
        testGroup("AES128_CTR", makeAESCTRTests<ref::AES128>()),
        testGroup("AES192_CTR", makeAESCTRTests<ref::AES192>()),
        testGroup("AES256_CTR", makeAESCTRTests<ref::AES256>()),
        testGroup("MD5_Lengths", makeMD5LengthTests<ref::MD5>()),
        testGroup("HMAC_MD5_RFC", makeMD5HMACTests<ref::MD5>()),
        testGroup("HMAC_SHA1_RFC", makeSHA1RFCHMACTests<ref::SHA1>()),
        testGroup("HMAC_SHA224_RFC", makeSHA224RFCHMACTests<ref::SHA224>()),
        testGroup("HMAC_SHA256_RFC", makeSHA256RFCHMACTests<ref::SHA256>()),
        testGroup("HMAC_SHA384_RFC", makeSHA384RFCHMACTests<ref::SHA384>()),
        testGroup("HMAC_SHA512_RFC", makeSHA512RFCHMACTests<ref::SHA512>()),
        testGroup("SHA1_Monte", makeSHA1MonteTests<ref::SHA1>()),
        testGroup("SHA224_Monte", makeSHA224MonteTests<ref::SHA224>()),
        testGroup("SHA256_Monte", makeSHA256MonteTests<ref::SHA256>()),
        testGroup("SHA384_Monte", makeSHA384MonteTests<ref::SHA384>()),
        testGroup("SHA512_Monte", makeSHA512MonteTests<ref::SHA512>()),
        testGroup("SHA512_224_Monte", makeSHA512_224MonteTests<ref::SHA512_224>()),
        testGroup("SHA512_256_Monte", makeSHA512_256MonteTests<ref::SHA512_256>()),
        testGroup("SHA3_224_Monte", makeSHA3_224MonteTests<ref::SHA3_224>()),
        testGroup("SHA3_256_Monte", makeSHA3_256MonteTests<ref::SHA3_256>()),
        testGroup("SHA3_384_Monte", makeSHA3_384MonteTests<ref::SHA3_384>()),
        testGroup("SHA3_512_Monte", makeSHA3_512MonteTests<ref::SHA3_512>()),
        conformance(),
        testGroup("AES128_GCM", makeAESGCMTests<ref::AES128>()),
        testGroup("AES192_GCM", makeAESGCMTests<ref::AES192>()),
        testGroup("AES256_GCM", makeAESGCMTests<ref::AES256>()),
        testGroup("AES128_GCM_Wycheproof", makeAESGCMWycheproofTests<ref::AES128>()),
        testGroup("AES192_GCM_Wycheproof", makeAESGCMWycheproofTests<ref::AES192>()),
        testGroup("AES256_GCM_Wycheproof", makeAESGCMWycheproofTests<ref::AES256>()),
        testGroup("GCM_Conformance", {testGroup("AES128", makeGCMConformanceTests<ref::AES128>()),
                                      testGroup("AES192", makeGCMConformanceTests<ref::AES192>()),
                                      testGroup("AES256", makeGCMConformanceTests<ref::AES256>())}),
    };
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<Test> suites;
    try {
        suites = allSuites();
    } catch (const std::exception& error) {
        // A builder could not read its vectors: say which, and fail the run.
        std::cerr << "zelkor-demo: cannot build the test list: " << error.what() << '\n';
        return 2;
    }
    return defaultMain(suites, argc, argv);
}
