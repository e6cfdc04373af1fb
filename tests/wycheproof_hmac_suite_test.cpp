// The Wycheproof HMAC suites: one case per test for each of the 11 digests,
// passing on OpenSSL's HMAC and on the generic one over nettle's digests; an
// HMAC-SHA3 keyed with SHA-2's block and an HMAC-SHA-512/256 that is really
// HMAC-SHA-512 cut short fail exactly the valid tests.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OpenSSLDigests.hpp"
#include "support/DataDir.hpp"
#include "support/HashMutants.hpp"
#include "support/IndependentDigests.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/HMAC.hpp"

namespace {

using namespace zelkor;
using testsupport::Outcome;

std::vector<testsupport::RunReport> failures(const std::vector<tests::Test>& suite) {
    auto out = testsupport::runAll(suite, true);
    for (const auto& report : out) EXPECT_EQ(report.outcome.kind, Outcome::Kind::AssertionFailed) << report.path;
    return out;
}

std::size_t countContaining(const std::vector<testsupport::RunReport>& reports, const std::string& text) {
    std::size_t n = 0;
    for (const auto& report : reports) n += report.outcome.message.find(text) != std::string::npos;
    return n;
}

// Every test of the file is a case (HMAC takes keys of any size), numbered by tcId.
template <class Reference, class Independent, class Build>
void expectEveryTestPassing(const std::string& file, std::size_t tests, Build build) {
    const auto suite = build.template operator()<Reference>();
    const auto names = testsupport::names(suite);
    ASSERT_EQ(names.size(), tests) << file;
    EXPECT_EQ(names.front(), file + "-1");
    EXPECT_EQ(names.back(), file + "-" + std::to_string(tests));
    EXPECT_TRUE(failures(suite).empty()) << file;
    EXPECT_TRUE(failures(build.template operator()<Independent>()).empty()) << file;
}

TEST(WycheproofHmacSuite, EveryTestOfElevenDigestsPassesOnTwoImplementations) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    using namespace testsupport;
    namespace ref = reference;
    expectEveryTestPassing<ref::SHA1, NettleSHA1>(
        "hmac_sha1_test.json", 170, []<class D>() { return tests::makeSHA1WycheproofHMACTests<D>(); });
    expectEveryTestPassing<ref::SHA224, NettleSHA224>(
        "hmac_sha224_test.json", 172, []<class D>() { return tests::makeSHA224WycheproofHMACTests<D>(); });
    expectEveryTestPassing<ref::SHA256, NettleSHA256>(
        "hmac_sha256_test.json", 174, []<class D>() { return tests::makeSHA256WycheproofHMACTests<D>(); });
    expectEveryTestPassing<ref::SHA384, NettleSHA384>(
        "hmac_sha384_test.json", 174, []<class D>() { return tests::makeSHA384WycheproofHMACTests<D>(); });
    expectEveryTestPassing<ref::SHA512, NettleSHA512>(
        "hmac_sha512_test.json", 174, []<class D>() { return tests::makeSHA512WycheproofHMACTests<D>(); });
    expectEveryTestPassing<ref::SHA512_224, NettleSHA512_224>(
        "hmac_sha512_224_test.json", 173, []<class D>() { return tests::makeSHA512_224WycheproofHMACTests<D>(); });
    expectEveryTestPassing<ref::SHA512_256, NettleSHA512_256>(
        "hmac_sha512_256_test.json", 175, []<class D>() { return tests::makeSHA512_256WycheproofHMACTests<D>(); });
    expectEveryTestPassing<ref::SHA3_224, NettleSHA3_224>(
        "hmac_sha3_224_test.json", 172, []<class D>() { return tests::makeSHA3_224WycheproofHMACTests<D>(); });
    expectEveryTestPassing<ref::SHA3_256, NettleSHA3_256>(
        "hmac_sha3_256_test.json", 174, []<class D>() { return tests::makeSHA3_256WycheproofHMACTests<D>(); });
    expectEveryTestPassing<ref::SHA3_384, NettleSHA3_384>(
        "hmac_sha3_384_test.json", 174, []<class D>() { return tests::makeSHA3_384WycheproofHMACTests<D>(); });
    expectEveryTestPassing<ref::SHA3_512, NettleSHA3_512>(
        "hmac_sha3_512_test.json", 174, []<class D>() { return tests::makeSHA3_512WycheproofHMACTests<D>(); });
}

// Right wherever the block is 64 bytes, so the NIST SHA-256 records pass it;
// every valid SHA3-256 test fails, quoted and located in the file.
TEST(WycheproofHmacSuite, Sha3HmacKeyedWithTheSha2BlockFailsEveryValidTest) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    EXPECT_TRUE(failures(tests::makeSHA256HMACTests<testsupport::HmacKeyBlockOf64Bytes<reference::SHA256>>()).empty());
    const auto failed = failures(tests::makeSHA3_256WycheproofHMACTests<
                                 testsupport::HmacKeyBlockOf64Bytes<reference::SHA3_256>>());
    EXPECT_EQ(failed.size(), 66u);
    EXPECT_EQ(countContaining(failed, ", result valid, tagSize "), 66u);
    ASSERT_FALSE(failed.empty());
    const std::string& first = failed.front().outcome.message;
    EXPECT_EQ(first.rfind("hmac_sha3_256_test.json-1 (comment \"empty message\", flags [Pseudorandom], "
                          "result valid, tagSize 256 bits)\nexpected: ", 0), 0u) << first;
    EXPECT_NE(first.find("/Wycheproof/hmac_sha3_256_test.json:"), std::string::npos) << first;
}

// A truncated tag of the wrong construction: the valid tests of the truncated
// groups fail as well as the full-length ones, and so does the invalid test
// that holds exactly that tag.
TEST(WycheproofHmacSuite, TruncatedHmacSha512FailsTheTruncatedGroups) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    using Mutant = testsupport::HmacIsTruncatedHmacSHA512<reference::SHA512_256, reference::SHA512>;
    const auto failed = failures(tests::makeSHA512_256WycheproofHMACTests<Mutant>());
    EXPECT_EQ(failed.size(), 67u);
    EXPECT_EQ(countContaining(failed, "result valid, tagSize 256 bits"), 33u);
    EXPECT_EQ(countContaining(failed, "result valid, tagSize 128 bits"), 33u);
    ASSERT_FALSE(failed.empty());
    EXPECT_EQ(failed.front().path, "hmac_sha512_256_test.json-1");
    EXPECT_NE(failed.front().outcome.message.find("flags [TruncatedHmac], result invalid"), std::string::npos)
        << failed.front().outcome.message;
}

// An invalid test passes only when the HMAC cut to the tag size differs
// from its tag.
TEST(WycheproofHmacSuite, InvalidTestFailsWhenTheTagMatches) {
    testsupport::ScopedDataDir dataDir(testsupport::fixturesDir() + "/wycheproof/swapped");
    const auto failed = failures(tests::makeSHA256WycheproofHMACTests<reference::SHA256>());
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].path, "hmac_sha256_test.json-1");
    EXPECT_NE(failed[0].outcome.message.find(
                  "(comment \"the tag of a valid test, given as invalid\", flags [], result invalid, "
                  "tagSize 128 bits)\n"
                  "the HMAC of contiguous input cut to 16 bytes equals the tag of this invalid test: "
                  "\"b175b57d89ea6cb606fb3363f2538abd\" (from "),
              std::string::npos)
        << failed[0].outcome.message;
}

}  // namespace
