// The GCM suites: their counts, that they pass on three GCMs (OpenSSL's,
// libgcrypt's and the generic one) and that each classic GCM fault fails them.

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "OpenSSLAES.hpp"
#include "support/DataDir.hpp"
#include "support/GcmMutants.hpp"
#include "support/IndependentCiphers.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/GCM.hpp"

namespace {

using namespace zelkor;
using testsupport::mutants::FaultyGcm;
using testsupport::mutants::GcmFault;
using Names = std::vector<std::string>;

template <class K>
std::vector<tests::Test> gcmSuites() {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    std::vector<tests::Test> out;
    out.push_back(tests::testGroup("NIST", tests::makeAESGCMTests<K>()));
    out.push_back(tests::testGroup("Wycheproof", tests::makeAESGCMWycheproofTests<K>()));
    for (auto& group : tests::makeGCMConformanceTests<K>()) out.push_back(std::move(group));
    return out;
}

template <class K>
Names failing() {
    Names out;
    for (const auto& report : testsupport::runAll(gcmSuites<K>(), true)) out.push_back(report.path);
    return out;
}

std::size_t countWith(const Names& names, std::string_view part) {
    return static_cast<std::size_t>(
        std::count_if(names.begin(), names.end(), [&](const std::string& n) { return n.find(part) != n.npos; }));
}

TEST(GcmSuites, CountsPerKeySize) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    // 525 categories in each of the encryption and the decryption file, then the properties.
    EXPECT_EQ(tests::makeAESGCMTests<reference::AES128>().size(), 1051u);
    EXPECT_EQ(tests::makeAESGCMTests<reference::AES256>().size(), 1051u);
    const Names nist = testsupport::names(tests::makeAESGCMTests<reference::AES128>());
    EXPECT_EQ(countWith(nist, "gcmDecrypt128.rsp-Keylen128-IVlen96-PTlen0-AADlen0-Taglen128"), 1u);
    EXPECT_EQ(nist.back(), "AEAD properties");
    const std::size_t wycheproof = tests::makeAESGCMWycheproofTests<reference::AES128>().size() +
                                   tests::makeAESGCMWycheproofTests<reference::AES192>().size() +
                                   tests::makeAESGCMWycheproofTests<reference::AES256>().size();
    EXPECT_EQ(wycheproof, 316u);  // 108, 103 and 105
    EXPECT_EQ(testsupport::names(tests::makeGCMConformanceTests<testsupport::GenericAES128>()),
              Names{"GCM conformance"});
    const auto witness = *reference::AES128::buildKey(ByteString(std::vector<std::uint8_t>(16)));
    EXPECT_EQ(testsupport::names(tests::makeAESGCMWycheproofTests(witness)),
              testsupport::names(tests::makeAESGCMWycheproofTests<reference::AES128>()));
}

TEST(GcmSuites, PassOnOpenSSLLibgcryptAndGenericGcm) {
    EXPECT_EQ(failing<reference::AES128>(), Names{});
    EXPECT_EQ(failing<reference::AES192>(), Names{});
    EXPECT_EQ(failing<reference::AES256>(), Names{});
    EXPECT_EQ(failing<testsupport::GcryptGcmAES128>(), Names{});
    EXPECT_EQ(failing<testsupport::GcryptGcmAES256>(), Names{});
    EXPECT_EQ(failing<testsupport::GenericAES128>(), Names{});
    EXPECT_EQ(failing<testsupport::GenericAES192>(), Names{});
}

// What each fault fails, by kind of case. The known answers are fixed; of
// the random properties only the conformance ones that fail on every input
// are counted.
struct Kills {
    std::size_t nist, wycheproof, conformance;
    friend bool operator==(const Kills&, const Kills&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Kills& k) {
        return os << "{nist " << k.nist << ", wycheproof " << k.wycheproof << ", conformance " << k.conformance << "}";
    }
};

template <GcmFault Fault>
Kills killsOf() {
    const Names names = failing<FaultyGcm<Fault>>();
    return {countWith(names, "NIST/gcm"), countWith(names, "Wycheproof/"), countWith(names, "GCM conformance/")};
}

// Of AES-128's 1050 NIST categories and 108 Wycheproof tests.
TEST(GcmSuites, TagComparedOnEightBytesFailsTheTestsThatChangeItsLastBytes) {
    EXPECT_EQ(killsOf<GcmFault::TagComparedOnEightBytes>().wycheproof, 11u);
}

TEST(GcmSuites, CounterCarryingPast32BitsFailsTheCounterWrapTests) {
    EXPECT_EQ(killsOf<GcmFault::CounterCarriesPast32Bits>(), (Kills{0, 6, 1}));
}

TEST(GcmSuites, LengthsInBytesFailsAlmostEverything) {
    EXPECT_EQ(killsOf<GcmFault::LengthsInBytes>(), (Kills{1007, 71, 2}));
}

TEST(GcmSuites, IvNotHashedFailsEveryOtherIvLength) {
    EXPECT_EQ(killsOf<GcmFault::LongIvAsCounterPrefix>(), (Kills{699, 39, 2}));
}

TEST(GcmSuites, UnpaddedAadFailsAadOfPartialBlocksBeforeText) {
    EXPECT_EQ(killsOf<GcmFault::AadNotPadded>(), (Kills{336, 14, 2}));
}

TEST(GcmSuites, PlaintextOnWrongTagFailsEveryDecryptionCategoryAndInvalidTest) {
    const Kills kills = killsOf<GcmFault::PlaintextOnWrongTag>();
    EXPECT_EQ(kills.nist, 525u);
    EXPECT_EQ(kills.wycheproof, 27u);
}

TEST(GcmSuites, TagOverPlaintextFailsEveryCaseWithText) {
    EXPECT_EQ(killsOf<GcmFault::TagOverPlaintext>(), (Kills{839, 71, 2}));
}

}  // namespace
