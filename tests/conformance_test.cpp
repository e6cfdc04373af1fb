// The conformance groups pass for every correct cipher and digest the project
// has and catch each fault that is the same in both directions; a member
// meant to replace a generic operation must fit its signature.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "ReferencePrimitives.hpp"
#include "support/CipherMutants.hpp"
#include "support/HashMutants.hpp"
#include "support/IndependentCiphers.hpp"
#include "support/IndependentDigests.hpp"
#include "support/ModeMutants.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/Conformance.hpp"

namespace {

using namespace zelkor;
using testsupport::Outcome;
namespace mutants = testsupport::mutants;

// Property name -> outcome, with the reports of those that did not pass.
std::map<std::string, Outcome> outcomes(const std::vector<tests::Test>& tree) {
    std::map<std::string, Outcome> out;
    for (const auto& leaf : testsupport::leaves(tree)) out[leaf.test->name()] = testsupport::run(*leaf.test);
    return out;
}

std::string reports(const std::map<std::string, Outcome>& all) {
    std::string out;
    for (const auto& [name, outcome] : all) {
        if (outcome.kind != Outcome::Kind::Passed) out += name + ": " + outcome.message.substr(0, 800) + "\n";
    }
    return out;
}

std::set<std::string> failed(const std::map<std::string, Outcome>& all) {
    std::set<std::string> out;
    for (const auto& [name, outcome] : all) {
        if (outcome.kind == Outcome::Kind::PropertyFailed) out.insert(name);
    }
    return out;
}

template <class K>
void expectAllPass() {
    const auto all = outcomes(tests::makeBlockCipherConformanceTests<K>());
    EXPECT_EQ(all.size(), 14u);
    EXPECT_EQ(failed(all), std::set<std::string>{}) << reports(all);
    for (const auto& [name, outcome] : all) EXPECT_EQ(outcome.kind, Outcome::Kind::Passed) << name;
}

template <class D>
void expectDigestPasses(std::size_t properties) {
    const auto all = outcomes(tests::makeHashConformanceTests<D>());
    EXPECT_EQ(all.size(), properties);
    for (const auto& [name, outcome] : all) EXPECT_EQ(outcome.kind, Outcome::Kind::Passed) << name << reports(all);
}

// The named properties fail (others may fail too).
template <class K>
void expectKilledBy(const std::set<std::string>& properties) {
    const auto all = outcomes(tests::makeBlockCipherConformanceTests<K>());
    const std::set<std::string> actual = failed(all);
    for (const auto& name : properties) EXPECT_TRUE(actual.count(name)) << name << " passed";
}

template <class D>
void expectDigestKilledBy(const std::set<std::string>& properties) {
    const std::set<std::string> actual = failed(outcomes(tests::makeHashConformanceTests<D>()));
    for (const auto& name : properties) EXPECT_TRUE(actual.count(name)) << name << " passed";
}

TEST(Conformance, GroupNamesAndProperties) {
    const auto tree = tests::makeBlockCipherConformanceTests<reference::AES128>();
    ASSERT_EQ(testsupport::names(tree), std::vector<std::string>{"Block Cipher conformance"});
    EXPECT_EQ(tests::makeHashConformanceTests<reference::SHA1>().at(0).name(), "Digest conformance");
}

TEST(Conformance, PassesForOpenSSLAES) {
    expectAllPass<reference::AES128>();
    expectAllPass<reference::AES192>();
    expectAllPass<reference::AES256>();
}
TEST(Conformance, PassesForGenericModesAES) { expectAllPass<testsupport::GenericAES128>(); }
TEST(Conformance, PassesForNettleAndGcryptTwofish) {
    expectAllPass<reference::Twofish>();
    expectAllPass<testsupport::GcryptTwofish>();
}

// OpenSSL's digests have their own HMAC (four properties); nettle's use the
// generic one (three).
TEST(Conformance, PassesForOpenSSLDigests) {
    expectDigestPasses<reference::MD5>(4);
    expectDigestPasses<reference::SHA1>(4);
    expectDigestPasses<reference::SHA224>(4);
    expectDigestPasses<reference::SHA256>(4);
    expectDigestPasses<reference::SHA384>(4);
    expectDigestPasses<reference::SHA512>(4);
    expectDigestPasses<reference::SHA512_256>(4);
    expectDigestPasses<reference::SHA3_256>(4);
}
TEST(Conformance, PassesForNettleDigests) {
    expectDigestPasses<testsupport::NettleMD5>(3);
    expectDigestPasses<testsupport::NettleSHA256>(3);
    expectDigestPasses<testsupport::NettleSHA512>(3);
    expectDigestPasses<testsupport::NettleSHA3_512>(3);
}

using mutants::CtrFault;
TEST(Conformance, CtrLittleEndianCounter) {
    expectKilledBy<mutants::FaultyCtr<CtrFault::LittleEndianCounter>>({"CTRMatchesTextbook", "CTRCounterEdges"});
}
TEST(Conformance, CtrCarryWithinLow32Bits) {
    expectKilledBy<mutants::FaultyCtr<CtrFault::CarryWithinLow32Bits>>({"CTRCounterEdges"});
}
TEST(Conformance, CtrNoCarryFromLastByte) {
    expectKilledBy<mutants::FaultyCtr<CtrFault::NoCarryFromLastByte>>({"CTRCounterEdges"});
}
TEST(Conformance, CtrNextIVOffByOne) {
    expectKilledBy<mutants::FaultyCtr<CtrFault::NextIVIsLastCounter>>({"CTRMatchesTextbook", "CTRCounterEdges"});
}
TEST(Conformance, CtrIgnoresIV) {
    expectKilledBy<mutants::FaultyCtr<CtrFault::IgnoresIV>>({"CTRMatchesTextbook", "IVSensitivity"});
}
TEST(Conformance, CtrWithoutKeystream) {
    expectKilledBy<mutants::FaultyCtr<CtrFault::NoKeystream>>({"CTRMatchesTextbook", "IVSensitivity"});
}
TEST(Conformance, CbcNextIVIsTheIVGiven) { expectKilledBy<mutants::CbcWrongNextIV>({"CBCMatchesTextbook"}); }
TEST(Conformance, CbcZeroNextIVOfEmptyInput) {
    expectKilledBy<mutants::CbcZeroNextIVWhenEmpty>({"CBCMatchesTextbook"});
}
TEST(Conformance, OfbNextIVIsLastCiphertextBlock) {
    expectKilledBy<mutants::OfbNextIVIsCiphertext>({"OFBMatchesTextbook"});
}
TEST(Conformance, EcbPassesLaterBlocksThrough) { expectKilledBy<mutants::EcbOnlyFirstBlock>({"ECBMatchesTextbook"}); }
TEST(Conformance, StreamModesDropThePartialBlock) {
    expectKilledBy<mutants::FaultyPartialBlock<mutants::PartialFault::Dropped>>(
        {"CFBMatchesTextbook", "OFBMatchesTextbook", "CTRMatchesTextbook"});
}
TEST(Conformance, StreamModesUseTheKeystreamEndForThePartialBlock) {
    expectKilledBy<mutants::FaultyPartialBlock<mutants::PartialFault::KeystreamEnd>>(
        {"CFBMatchesTextbook", "OFBMatchesTextbook", "CTRMatchesTextbook"});
}
TEST(Conformance, KeyScheduleIgnoringAKeyByte) { expectKilledBy<mutants::IgnoresLastKeyByte>({"KeySensitivity"}); }
// Consistent with itself in both directions and both forms.
TEST(Conformance, Cfb8InsteadOfCfb128) { expectKilledBy<mutants::Cfb8Feedback>({"CFBMatchesTextbook"}); }

TEST(Conformance, DigestFaults) {
    expectDigestKilledBy<testsupport::LaxEncoding<reference::SHA256>>(
        {"DecodeNeedsOutputLength", "EqualityUsesEveryByte"});
    expectDigestKilledBy<testsupport::RestartsAtChunkBoundaries<reference::SHA256>>(
        {"ChunkedEqualsContiguous", "OwnHMACMatchesGeneric"});
    expectDigestKilledBy<testsupport::LongHmacKeyNotHashed<reference::SHA384>>({"OwnHMACMatchesGeneric"});
}

// A failure names the lengths it used, which the drawn case alone does not.
TEST(Conformance, FailuresNameTheLengthsTheyUsed) {
    using testsupport::HmacRefusesEmptyKey, testsupport::RestartsAtChunkBoundaries;
    const auto refusing = outcomes(tests::makeHashConformanceTests<HmacRefusesEmptyKey<reference::SHA1>>());
    const std::string hmac = refusing.at("OwnHMACMatchesGeneric").message;
    EXPECT_NE(hmac.find("own hmac != RFC 2104 hmac, contiguous: key of 0 bytes, message of "), std::string::npos)
        << hmac;
    EXPECT_NE(hmac.find("threw empty HMAC key"), std::string::npos) << hmac;
    const auto restarting = outcomes(tests::makeHashConformanceTests<RestartsAtChunkBoundaries<reference::SHA1>>());
    const std::string chunked = restarting.at("ChunkedEqualsContiguous").message;
    EXPECT_NE(chunked.find("hash of chunks != hash of the contiguous message: message of "), std::string::npos)
        << chunked;
    EXPECT_NE(chunked.find(" bytes, chunk sizes ["), std::string::npos) << chunked;
    const std::string cfb = outcomes(tests::makeBlockCipherConformanceTests<mutants::Cfb8Feedback>())
                                .at("CFBMatchesTextbook").message;
    // The output bytes or the next IV differ first, as the drawn message length decides.
    EXPECT_NE(cfb.find("CFB encryption, contiguous, "), std::string::npos) << cfb;
    EXPECT_NE(cfb.find(": key of 16 bytes, message of "), std::string::npos) << cfb;
}

// Members that look like replacements but do not fit: a compile error in the
// modes and hmac, seen here through the checks they use.
struct CbcNotConst : mutants::Wrapper<CbcNotConst> {
    Result cbc(const IV<CbcNotConst>& iv, const ByteString& b) { return {b, iv}; }
};
struct CbcReturnsBytes : mutants::Wrapper<CbcReturnsBytes> {
    ByteString cbc(const IV<CbcReturnsBytes>&, const ByteString& b) const { return b; }
};
struct CbcTakesChunks : mutants::Wrapper<CbcTakesChunks> {
    Result cbc(const IV<CbcTakesChunks>& iv, const ChunkedByteString& b) const { return {b.toStrict(), iv}; }
};
static_assert(detail::HasMemberNamed_cbc<CbcNotConst> && !detail::OwnFits_cbc<CbcNotConst>);
static_assert(detail::HasMemberNamed_cbc<CbcReturnsBytes> && !detail::OwnFits_cbc<CbcReturnsBytes>);
static_assert(detail::HasMemberNamed_cbc<CbcTakesChunks> && !detail::OwnFits_cbc<CbcTakesChunks>);
static_assert(detail::HasMemberNamed_cbc<reference::AES128> && detail::OwnFits_cbc<reference::AES128>);
static_assert(!detail::HasMemberNamed_cbc<reference::Twofish>);

struct HmacOfBytesOnly : testsupport::DigestWrapper<HmacOfBytesOnly, reference::SHA1> {
    using DigestWrapper::DigestWrapper;
    static HmacOfBytesOnly hash(const ByteString& m) { return HmacOfBytesOnly(reference::SHA1::hash(m)); }
    static HmacOfBytesOnly hash(const ChunkedByteString& m) { return HmacOfBytesOnly(reference::SHA1::hash(m)); }
    static HmacOfBytesOnly hmac(const ByteString& k, const ByteString& m) {
        return HmacOfBytesOnly(reference::SHA1::hmac(k, m));
    }
};
static_assert(detail::HasMemberNamed_hmac<HmacOfBytesOnly> && !detail::OwnHmacFits<HmacOfBytesOnly>);
static_assert(detail::OwnHmacFits<reference::SHA1> && !detail::HasMemberNamed_hmac<testsupport::NettleSHA1>);

}  // namespace
