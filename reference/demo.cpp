// Runs every suite of zelkor-tests against the reference primitives: one
// top-level group per primitive, holding what makeAllTests gives for it, then
// GoogleTest's report and a summary. The vector files come from the data
// directory (zelkor_tests_datadir, else the source tree's data/ until this
// build is installed).

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "ReferenceTrees.hpp"
#include "zelkor/tests/All.hpp"
#include "zelkor/tests/GTest.hpp"
#include "zelkor/tests/detail/run/PropertyRuns.hpp"

using namespace zelkor::tests;

namespace {

// Rows whose random properties the demo runs only a few times each: the
// block ciphers checked against their own files (the generic properties run
// in full on AES and Twofish), and rows whose construction another row runs
// in full (another key size, another digest). Every known answer still runs.
Test lean(std::string name, std::vector<Test> tree, int runs = 10) {
    zelkor::tests::detail::capPropertyRuns(tree, runs);
    return testGroup(std::move(name), std::move(tree));
}

// OpenSSL's AES-KW and AES-KWP, forward and inverse, at every key size. The
// generic constructions (and their conformance group) run in the unit tests.
void appendKeyWraps(std::vector<Test>& suites) {
    namespace ref = zelkor::reference;
    using zelkor::KeyWrapDirection, zelkor::KeyWrapPadding;
    constexpr auto kw = KeyWrapPadding::None, kwp = KeyWrapPadding::Padded;
    constexpr auto inv = KeyWrapDirection::Inverse;
    suites.push_back(testGroup("AES128_KW", makeAllTests<ref::OpenSSLKeyWrap<128, kw>>(Algorithm::AES128_KW)));
    suites.push_back(lean("AES192_KW", makeAllTests<ref::OpenSSLKeyWrap<192, kw>>(Algorithm::AES192_KW)));
    suites.push_back(lean("AES256_KW", makeAllTests<ref::OpenSSLKeyWrap<256, kw>>(Algorithm::AES256_KW)));
    suites.push_back(testGroup("AES128_KWP", makeAllTests<ref::OpenSSLKeyWrap<128, kwp>>(Algorithm::AES128_KWP)));
    suites.push_back(lean("AES192_KWP", makeAllTests<ref::OpenSSLKeyWrap<192, kwp>>(Algorithm::AES192_KWP)));
    suites.push_back(lean("AES256_KWP", makeAllTests<ref::OpenSSLKeyWrap<256, kwp>>(Algorithm::AES256_KWP)));
    suites.push_back(
        lean("AES128_KW_INV", makeAllTests<ref::OpenSSLKeyWrap<128, kw, inv>>(Algorithm::AES128_KW_INV)));
    suites.push_back(
        lean("AES192_KW_INV", makeAllTests<ref::OpenSSLKeyWrap<192, kw, inv>>(Algorithm::AES192_KW_INV)));
    suites.push_back(
        lean("AES256_KW_INV", makeAllTests<ref::OpenSSLKeyWrap<256, kw, inv>>(Algorithm::AES256_KW_INV)));
    suites.push_back(
        lean("AES128_KWP_INV", makeAllTests<ref::OpenSSLKeyWrap<128, kwp, inv>>(Algorithm::AES128_KWP_INV)));
    suites.push_back(
        lean("AES192_KWP_INV", makeAllTests<ref::OpenSSLKeyWrap<192, kwp, inv>>(Algorithm::AES192_KWP_INV)));
    suites.push_back(
        lean("AES256_KWP_INV", makeAllTests<ref::OpenSSLKeyWrap<256, kwp, inv>>(Algorithm::AES256_KWP_INV)));
}


// Moves each tree of a braced list in (a std::vector built from the list
// itself would copy every tree).
template <std::size_t N>
void append(std::vector<Test>& suites, Test (&&trees)[N]) {
    for (Test& tree : trees) suites.push_back(std::move(tree));
}

// The library's CCM, GCM and CMAC over OpenSSL's Camellia, ARIA, SM4 and
// SEED block functions against Wycheproof's files. The AEADs' random
// properties run in full on AES-GCM and AES-CCM; here a few runs each show
// them wired to the block function.
void appendCipherConstructions(std::vector<Test>& suites) {
    namespace ref = zelkor::reference;
    using enum Algorithm;
    const auto fewRuns = [](std::string name, std::vector<Test> tree) {
        constexpr int kRuns = 3;
        return lean(std::move(name), std::move(tree), kRuns);
    };
    suites.push_back(fewRuns("Camellia128_CCM", makeAllTests<ref::Camellia128Ccm>(Camellia128_CCM)));
    suites.push_back(fewRuns("Camellia192_CCM", makeAllTests<ref::Camellia192Ccm>(Camellia192_CCM)));
    suites.push_back(fewRuns("Camellia256_CCM", makeAllTests<ref::Camellia256Ccm>(Camellia256_CCM)));
    suites.push_back(fewRuns("ARIA128_CCM", makeAllTests<ref::ARIA128Ccm>(ARIA128_CCM)));
    suites.push_back(fewRuns("ARIA192_CCM", makeAllTests<ref::ARIA192Ccm>(ARIA192_CCM)));
    suites.push_back(fewRuns("ARIA256_CCM", makeAllTests<ref::ARIA256Ccm>(ARIA256_CCM)));
    suites.push_back(fewRuns("ARIA128_GCM", makeAllTests<ref::ARIA128Gcm>(ARIA128_GCM)));
    suites.push_back(fewRuns("ARIA192_GCM", makeAllTests<ref::ARIA192Gcm>(ARIA192_GCM)));
    suites.push_back(fewRuns("ARIA256_GCM", makeAllTests<ref::ARIA256Gcm>(ARIA256_GCM)));
    suites.push_back(fewRuns("SM4_CCM", makeAllTests<ref::SM4Ccm>(SM4_CCM)));
    suites.push_back(fewRuns("SM4_GCM", makeAllTests<ref::SM4Gcm>(SM4_GCM)));
    suites.push_back(fewRuns("SEED_CCM", makeAllTests<ref::SEEDCcm>(SEED_CCM)));
    suites.push_back(fewRuns("SEED_GCM", makeAllTests<ref::SEEDGcm>(SEED_GCM)));
    suites.push_back(lean("Camellia128_CMAC", makeAllTests<ref::Camellia128Cmac>(Camellia128_CMAC)));
    suites.push_back(lean("Camellia192_CMAC", makeAllTests<ref::Camellia192Cmac>(Camellia192_CMAC)));
    suites.push_back(lean("Camellia256_CMAC", makeAllTests<ref::Camellia256Cmac>(Camellia256_CMAC)));
    suites.push_back(lean("ARIA128_CMAC", makeAllTests<ref::ARIA128Cmac>(ARIA128_CMAC)));
    suites.push_back(lean("ARIA192_CMAC", makeAllTests<ref::ARIA192Cmac>(ARIA192_CMAC)));
    suites.push_back(lean("ARIA256_CMAC", makeAllTests<ref::ARIA256Cmac>(ARIA256_CMAC)));
}

std::vector<Test> allSuites() {
    namespace ref = zelkor::reference;
    std::vector<Test> suites;
    append(suites, {
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
        testGroup("AES128_CCM", makeAllTests<ref::OpenSSLAes128Ccm>(Algorithm::AES128_CCM)),
        lean("AES192_CCM", makeAllTests<ref::OpenSSLAes192Ccm>(Algorithm::AES192_CCM)),
        lean("AES256_CCM", makeAllTests<ref::OpenSSLAes256Ccm>(Algorithm::AES256_CCM)),
        testGroup("ChaCha20", makeAllTests<ref::OpenSSLChaCha20>(Algorithm::ChaCha20)),
        testGroup("ChaCha20_libsodium", makeAllTests<ref::SodiumChaCha20>(Algorithm::ChaCha20)),
        testGroup("XChaCha20_libsodium", makeAllTests<ref::SodiumXChaCha20>(Algorithm::XChaCha20)),
        lean("TDES", makeAllTests<ref::TDES3>(Algorithm::TDES)),
        testGroup("TDES_CMAC", makeAllTests<ref::OpenSSLCmacTdes>(Algorithm::TDES_CMAC)),
        testGroup("AES128_SIV", makeAllTests<ref::GcryptAes128Siv>(Algorithm::AES128_SIV)),
        lean("AES192_SIV", makeAllTests<ref::GcryptAes192Siv>(Algorithm::AES192_SIV)),
        lean("AES256_SIV", makeAllTests<ref::GcryptAes256Siv>(Algorithm::AES256_SIV)),
        testGroup("AES128_GCM_SIV", makeAllTests<ref::GcryptAes128GcmSiv>(Algorithm::AES128_GCM_SIV)),
        lean("AES256_GCM_SIV", makeAllTests<ref::GcryptAes256GcmSiv>(Algorithm::AES256_GCM_SIV)),
        testGroup("AES128_EAX", makeAllTests<ref::GcryptAes128Eax>(Algorithm::AES128_EAX)),
        lean("AES192_EAX", makeAllTests<ref::GcryptAes192Eax>(Algorithm::AES192_EAX)),
        lean("AES256_EAX", makeAllTests<ref::GcryptAes256Eax>(Algorithm::AES256_EAX)),
        testGroup("AES128_OCB", makeAllTests<ref::OpenSSLAes128Ocb>(Algorithm::AES128_OCB)),
        lean("Camellia", makeAllTests<ref::Camellia256>(Algorithm::Camellia)),
        lean("ARIA", makeAllTests<ref::ARIA256>(Algorithm::ARIA)),
        lean("SM4", makeAllTests<ref::SM4>(Algorithm::SM4)),
        lean("SEED", makeAllTests<ref::SEED>(Algorithm::SEED)),
        lean("CAST5", makeAllTests<ref::CAST5>(Algorithm::CAST5)),
        lean("Blowfish", makeAllTests<ref::Blowfish>(Algorithm::Blowfish)),
        lean("IDEA", makeAllTests<ref::IDEA>(Algorithm::IDEA)),
        // The same OCB as AES128_OCB's, whose properties run in full.
        lean("AES192_OCB", makeAllTests<ref::OpenSSLAes192Ocb>(Algorithm::AES192_OCB)),
        lean("AES256_OCB", makeAllTests<ref::OpenSSLAes256Ocb>(Algorithm::AES256_OCB)),
    });
    appendKeyWraps(suites);
    // OpenSSL 3.0 squeezes once: the split-squeeze properties run on libgcrypt's
    // SHAKE in the unit tests.
    suites.push_back(testGroup("SHAKE128", makeAllTests<ref::OpenSSLShake128>(Algorithm::SHAKE128)));
    suites.push_back(testGroup("SHAKE256", makeAllTests<ref::OpenSSLShake256>(Algorithm::SHAKE256)));
    // MACs and KDFs: OpenSSL's own, and the library's generic constructions
    // over OpenSSL's building blocks.
    append(suites, {
        testGroup("AES128_CMAC", makeAllTests<ref::OpenSSLCmacAes128>(Algorithm::AES128_CMAC)),
        lean("AES192_CMAC", makeAllTests<ref::OpenSSLCmacAes192>(Algorithm::AES192_CMAC)),
        lean("AES256_CMAC", makeAllTests<ref::OpenSSLCmacAes256>(Algorithm::AES256_CMAC)),
        testGroup("AES128_CMAC_generic", makeAllTests<ref::AES128>(Algorithm::AES128_CMAC)),
        lean("AES192_CMAC_generic", makeAllTests<ref::AES192>(Algorithm::AES192_CMAC)),
        lean("AES256_CMAC_generic", makeAllTests<ref::AES256>(Algorithm::AES256_CMAC)),
        lean("HKDF_SHA1", makeAllTests<ref::OpenSSLHkdfSha1>(Algorithm::HKDF_SHA1)),
        testGroup("HKDF_SHA256", makeAllTests<ref::OpenSSLHkdfSha256>(Algorithm::HKDF_SHA256)),
        lean("HKDF_SHA384", makeAllTests<ref::OpenSSLHkdfSha384>(Algorithm::HKDF_SHA384)),
        lean("HKDF_SHA512", makeAllTests<ref::OpenSSLHkdfSha512>(Algorithm::HKDF_SHA512)),
        testGroup("HKDF_SHA256_generic", makeAllTests<ref::SHA256>(Algorithm::HKDF_SHA256)),
        lean("PBKDF2_SHA1", makeAllTests<ref::OpenSSLPbkdf2Sha1>(Algorithm::PBKDF2_SHA1)),
        lean("PBKDF2_SHA224", makeAllTests<ref::OpenSSLPbkdf2Sha224>(Algorithm::PBKDF2_SHA224)),
        testGroup("PBKDF2_SHA256", makeAllTests<ref::OpenSSLPbkdf2Sha256>(Algorithm::PBKDF2_SHA256)),
        lean("PBKDF2_SHA384", makeAllTests<ref::OpenSSLPbkdf2Sha384>(Algorithm::PBKDF2_SHA384)),
        lean("PBKDF2_SHA512", makeAllTests<ref::OpenSSLPbkdf2Sha512>(Algorithm::PBKDF2_SHA512)),
        testGroup("PBKDF2_SHA256_generic", makeAllTests<ref::SHA256>(Algorithm::PBKDF2_SHA256)),
        testGroup("Poly1305", makeAllTests<ref::OpenSSLPoly1305>(Algorithm::Poly1305)),
        testGroup("SipHash24", makeAllTests<ref::OpenSSLSipHash24>(Algorithm::SipHash24)),
        testGroup("KMAC128", makeAllTests<ref::OpenSSLKmac128>(Algorithm::KMAC128)),
        lean("KMAC256", makeAllTests<ref::OpenSSLKmac256>(Algorithm::KMAC256)),
    });
    appendCipherConstructions(suites);
    // libsodium's AES-256-GCM needs AES-NI; it takes 12-byte nonces and
    // 16-byte tags only, and says so.
    if (ref::sodiumAeadAvailable(ref::SodiumAeadKind::AES256GCM)) {
        suites.push_back(
            testGroup("AES256_GCM_libsodium", makeAllTests<ref::SodiumAES256GCM>(Algorithm::AES256_GCM)));
    }
    return suites;
}

}  // namespace

// The reference primitives may be called from several threads at once, so
// the demo runs leaves ahead on every core unless zelkor_tests_jobs says
// otherwise. A builder that cannot read its vectors ends the run with its
// message.
int main(int argc, char** argv) {
    const unsigned cores = std::max(1U, std::thread::hardware_concurrency());
    setenv("zelkor_tests_jobs", std::to_string(cores).c_str(), 0);
    return defaultMain(allSuites, argc, argv);
}
