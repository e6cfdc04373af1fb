// Runs every suite of zelkor-tests against the reference primitives: one
// top-level group per primitive, holding what makeAllTests gives for it, then
// GoogleTest's report and a summary. The vector files come from the data
// directory (zelkor_tests_datadir, else the source tree's data/ until this
// build is installed).

#include <vector>

#include "ReferencePrimitives.hpp"
#include "zelkor/tests/All.hpp"
#include "zelkor/tests/GTest.hpp"

using namespace zelkor::tests;

namespace {

std::vector<Test> allSuites() {
    namespace ref = zelkor::reference;
    std::vector<Test> suites = {
        testGroup("MD5", makeAllTests<ref::MD5>(Algorithm::MD5)),
        testGroup("SHA1", makeAllTests<ref::SHA1>(Algorithm::SHA1)),
        testGroup("SHA224", makeAllTests<ref::SHA224>(Algorithm::SHA224)),
        testGroup("SHA256", makeAllTests<ref::SHA256>(Algorithm::SHA256)),
        testGroup("SHA384", makeAllTests<ref::SHA384>(Algorithm::SHA384)),
        testGroup("SHA512", makeAllTests<ref::SHA512>(Algorithm::SHA512)),
        testGroup("SHA512_224", makeAllTests<ref::SHA512_224>(Algorithm::SHA512_224)),
        testGroup("SHA512_256", makeAllTests<ref::SHA512_256>(Algorithm::SHA512_256)),
        testGroup("SHA3_224", makeAllTests<ref::SHA3_224>(Algorithm::SHA3_224)),
        testGroup("SHA3_256", makeAllTests<ref::SHA3_256>(Algorithm::SHA3_256)),
        testGroup("SHA3_384", makeAllTests<ref::SHA3_384>(Algorithm::SHA3_384)),
        testGroup("SHA3_512", makeAllTests<ref::SHA3_512>(Algorithm::SHA3_512)),
        testGroup("AES128", makeAllTests<ref::AES128>(Algorithm::AES128)),
        testGroup("AES192", makeAllTests<ref::AES192>(Algorithm::AES192)),
        testGroup("AES256", makeAllTests<ref::AES256>(Algorithm::AES256)),
        testGroup("Twofish", makeAllTests<ref::Twofish>(Algorithm::Twofish)),
        testGroup("ChaCha20Poly1305", makeAllTests<ref::OpenSSLChaCha20Poly1305>(Algorithm::ChaCha20Poly1305)),
        testGroup("ChaCha20Poly1305_libsodium",
                  makeAllTests<ref::SodiumChaCha20Poly1305>(Algorithm::ChaCha20Poly1305)),
        testGroup("XChaCha20Poly1305_libsodium",
                  makeAllTests<ref::SodiumXChaCha20Poly1305>(Algorithm::XChaCha20Poly1305)),
        testGroup("TDES", makeAllTests<ref::TDES3>(Algorithm::TDES)),
    };
    // libsodium's AES-256-GCM needs AES-NI; it takes 12-byte nonces and
    // 16-byte tags only, and says so.
    if (ref::sodiumAeadAvailable(ref::SodiumAeadKind::AES256GCM)) {
        suites.push_back(
            testGroup("AES256_GCM_libsodium", makeAllTests<ref::SodiumAES256GCM>(Algorithm::AES256_GCM)));
    }
    return suites;
}

}  // namespace

// A builder that cannot read its vectors ends the run with its message.
int main(int argc, char** argv) { return defaultMain(allSuites, argc, argv); }
