// The RFC 2202 / RFC 4231 HMAC suites: counts and names, that they pass on
// OpenSSL's HMAC and on the generic one over nettle's digests, and that an
// HMAC dropping the message tail, which every NIST HMAC record misses, fails.

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
using Names = std::vector<std::string>;

Names failingNames(const std::vector<tests::Test>& suite) {
    Names out;
    for (const auto& report : testsupport::runAll(suite, true)) {
        EXPECT_EQ(report.outcome.kind, testsupport::Outcome::Kind::AssertionFailed) << report.outcome.message;
        out.push_back(report.path);
    }
    return out;
}

// Test case 5 of RFC 4231 passes only when compared on its 16 bytes.
template <class Reference, class Independent, class Build>
void expectSevenPassingCases(const std::string& file, Build build) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    const auto suite = build.template operator()<Reference>();
    Names expected;
    for (int n = 1; n <= 7; ++n) expected.push_back(file + "-" + std::to_string(n));
    EXPECT_EQ(testsupport::names(suite), expected);
    EXPECT_EQ(failingNames(suite), Names{});
    EXPECT_EQ(failingNames(build.template operator()<Independent>()), Names{});
    // Dropping the tail past the last whole block: no RFC message is whole blocks.
    EXPECT_EQ(failingNames(build.template operator()<testsupport::HmacDropsPartialBlock<Reference>>()), expected);
}

TEST(RfcHmacSuite, SevenCasesPerAlgorithmPassingOnTwoImplementationsFailingOnDroppedTail) {
    using namespace testsupport;
    expectSevenPassingCases<reference::MD5, NettleMD5>(
        "rfc-2202-md5.txt", []<class D>() { return tests::makeMD5RFCHMACTests<D>(); });
    expectSevenPassingCases<reference::SHA1, NettleSHA1>(
        "rfc-2202-sha1.txt", []<class D>() { return tests::makeSHA1RFCHMACTests<D>(); });
    expectSevenPassingCases<reference::SHA224, NettleSHA224>(
        "rfc-4231-sha224.txt", []<class D>() { return tests::makeSHA224RFCHMACTests<D>(); });
    expectSevenPassingCases<reference::SHA256, NettleSHA256>(
        "rfc-4231-sha256.txt", []<class D>() { return tests::makeSHA256RFCHMACTests<D>(); });
    expectSevenPassingCases<reference::SHA384, NettleSHA384>(
        "rfc-4231-sha384.txt", []<class D>() { return tests::makeSHA384RFCHMACTests<D>(); });
    expectSevenPassingCases<reference::SHA512, NettleSHA512>(
        "rfc-4231-sha512.txt", []<class D>() { return tests::makeSHA512RFCHMACTests<D>(); });
}

TEST(RfcHmacSuite, MD5HMACIsTheOlderNameOfMD5RFCHMAC) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    EXPECT_EQ(testsupport::names(tests::makeMD5HMACTests(reference::MD5{})),
              testsupport::names(tests::makeMD5RFCHMACTests(reference::MD5{})));
}

TEST(RfcHmacSuite, NistRecordsAreBlindToADroppedTail) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    using Mutant = testsupport::HmacDropsPartialBlock<reference::SHA256>;
    EXPECT_EQ(failingNames(tests::makeSHA256HMACTests<Mutant>()), Names{});
}

}  // namespace
