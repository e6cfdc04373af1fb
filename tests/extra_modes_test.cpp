// CFB8, CFB1, XTS and CBC with PKCS#7 padding: the generic modes against
// OpenSSL's and nettle's, their refusals, and the checks (conformance, known
// answers) against mutants with one fault each.

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nettle/xts.h>
#include <rapidcheck/gtest.h>

#include "OpenSSLAES.hpp"
#include "support/DataDir.hpp"
#include "support/ExtraModeMutants.hpp"
#include "support/IndependentCiphers.hpp"
#include "support/IndependentInputs.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/ExtraModes.hpp"
#include "zelkor/tests/Checks.hpp"
#include "zelkor/tests/Crypto.hpp"

namespace {

using namespace zelkor;
using testsupport::bytesOfLength;
using testsupport::Outcome;
using testsupport::sizeBetween;
using tests::hexStringToBS;
namespace mutants = testsupport::mutants;

template <class K>
K keyOf(const ByteString& bytes) {
    return *K::buildKey(bytes);
}

// nettle's XTS-AES-128 of one unit, the second implementation.
ByteString nettleXts128(bool encrypt, const ByteString& keys, const ByteString& tweak, const ByteString& in) {
    xts_aes128_key key;
    if (encrypt) xts_aes128_set_encrypt_key(&key, keys.data());
    else xts_aes128_set_decrypt_key(&key, keys.data());
    return ByteString::generate(in.size(), [&](std::span<std::uint8_t> out) {
        if (encrypt) xts_aes128_encrypt_message(&key, tweak.data(), in.size(), out.data(), in.data());
        else xts_aes128_decrypt_message(&key, tweak.data(), in.size(), out.data(), in.data());
    });
}

// Generic XTS (OpenSSL's block function), OpenSSL's XTS and nettle's agree.
RC_GTEST_PROP(ExtraModes, XtsAgreesWithOpenSSLAndNettle, ()) {
    const ByteString keys = *bytesOfLength(32);
    const ByteString tweak = *bytesOfLength(16);
    const ByteString unit = *bytesOfLength(*sizeBetween(16, 100));
    using G = testsupport::GenericAES128;
    const G gData = keyOf<G>(keys.take(16)), gTweak = keyOf<G>(keys.drop(16));
    const auto oData = keyOf<reference::AES128>(keys.take(16)), oTweak = keyOf<reference::AES128>(keys.drop(16));
    const ByteString want = nettleXts128(true, keys, tweak, unit);
    RC_ASSERT(xts(gData, gTweak, tweak, unit) == want);
    RC_ASSERT(xts(oData, oTweak, tweak, unit) == want);
    RC_ASSERT(unXts(gData, gTweak, tweak, want) == unit);
    RC_ASSERT(unXts(oData, oTweak, tweak, want) == unit);
    RC_ASSERT(nettleXts128(false, keys, tweak, unit) == unXts(gData, gTweak, tweak, unit));
}

// Generic CFB8, CFB1 and CBC-PKCS#7 agree with OpenSSL's, next IVs included.
RC_GTEST_PROP(ExtraModes, FeedbackAndPaddingAgreeWithOpenSSL, ()) {
    using G = testsupport::GenericAES<256>;
    using O = reference::AES256;
    const ByteString key = *bytesOfLength(32);
    const ByteString ivBytes = *bytesOfLength(16);
    const ByteString message = *bytesOfLength(*sizeBetween(0, 40));
    const std::size_t bits = message.empty() ? 0 : 8 * message.size() - *sizeBetween(0, 7);
    const ByteString bitInput = message.take((bits + 7) / 8);
    const G g = keyOf<G>(key);
    const O o = keyOf<O>(key);
    const auto gIV = *IV<G>::decode(ivBytes);
    const auto oIV = *IV<O>::decode(ivBytes);
    const auto same = [](const auto& a, const auto& b) {
        RC_ASSERT(a.first == b.first);
        RC_ASSERT(a.second.bytes() == b.second.bytes());
    };
    same(cfb8(g, gIV, message), cfb8(o, oIV, message));
    same(unCfb8(g, gIV, message), unCfb8(o, oIV, message));
    same(cfb1(g, gIV, bitInput, bits), cfb1(o, oIV, bitInput, bits));
    same(unCfb1(g, gIV, bitInput, bits), unCfb1(o, oIV, bitInput, bits));
    const ByteString padded = cbcPKCS7(o, oIV, message);
    RC_ASSERT(cbcPKCS7(g, gIV, message) == padded);
    RC_ASSERT(unCbcPKCS7(g, gIV, padded) == std::optional(message));
    RC_ASSERT(unCbcPKCS7(o, oIV, padded) == std::optional(message));
    RC_ASSERT(unCbcPKCS7(g, gIV, cbc(g, gIV, message.take(message.size() / 16 * 16)).first) ==
              unCbcPKCS7(o, oIV, cbc(o, oIV, message.take(message.size() / 16 * 16)).first));
}

TEST(ExtraModes, Refusals) {
    using G = testsupport::GenericAES128;
    const G key = keyOf<G>(ByteString(std::vector<std::uint8_t>(16, 1)));
    const G other = keyOf<G>(ByteString(std::vector<std::uint8_t>(16, 2)));
    const ByteString tweak(std::vector<std::uint8_t>(16, 3));
    const IV<G> iv = *IV<G>::decode(tweak);
    EXPECT_THROW(xts(key, other, tweak, ByteString(std::vector<std::uint8_t>(15, 0))), std::invalid_argument);
    EXPECT_THROW(xts(key, other, tweak.take(15), ByteString(std::vector<std::uint8_t>(16, 0))),
                 std::invalid_argument);
    EXPECT_THROW(cfb1(key, iv, ByteString(std::vector<std::uint8_t>(2, 0)), 8), std::invalid_argument);
    EXPECT_THROW(unCfb1(key, iv, ByteString(std::vector<std::uint8_t>(1, 0)), 9), std::invalid_argument);
    EXPECT_EQ(cfb1(key, iv, hexStringToBS("ff"), 3).first, cfb1(key, iv, hexStringToBS("e0"), 3).first);

    const auto pad = [](const char* hex) { return unpadPKCS7(4, hexStringToBS(hex)); };
    EXPECT_EQ(pad("61626302"), std::nullopt);  // one pad byte off
    EXPECT_EQ(pad("61626300"), std::nullopt);  // 0
    EXPECT_EQ(pad("61626305"), std::nullopt);  // over the block size
    EXPECT_EQ(pad("616263"), std::nullopt);    // not whole blocks
    EXPECT_EQ(pad(""), std::nullopt);
    EXPECT_EQ(pad("61620202"), std::optional(hexStringToBS("6162")));
    EXPECT_EQ(pad("04040404"), std::optional(ByteString()));
    EXPECT_EQ(padPKCS7(4, hexStringToBS("61626364")), hexStringToBS("6162636404040404"));
    EXPECT_EQ(unCbcPKCS7(key, iv, ByteString()), std::nullopt);
}

std::map<std::string, Outcome> outcomes(const std::vector<tests::Test>& tree) {
    std::map<std::string, Outcome> out;
    for (const auto& leaf : testsupport::leaves(tree)) out[leaf.path] = testsupport::run(*leaf.test);
    return out;
}

// The leaves whose path holds `part` and that failed.
std::set<std::string> failedWith(const std::map<std::string, Outcome>& all, const std::string& part) {
    std::set<std::string> out;
    for (const auto& [path, outcome] : all) {
        const bool failed = outcome.kind == Outcome::Kind::PropertyFailed ||
                            outcome.kind == Outcome::Kind::AssertionFailed;
        if (failed && path.find(part) != std::string::npos) out.insert(path);
    }
    return out;
}

template <class K>
std::map<std::string, Outcome> conformance() {
    return outcomes(tests::makeBlockCipherConformanceTests<K>());
}

template <class K>
std::map<std::string, Outcome> modeKnownAnswers() {
    testsupport::ScopedDataDir data(testsupport::sourceDataDir());
    return outcomes(tests::makeCheckTests<K>(tests::CheckKind::ModeVectors, tests::Algorithm::AES128));
}

TEST(ExtraModes, ReferencesPassConformanceAndKnownAnswers) {
    for (const auto& all : {conformance<reference::AES128>(), conformance<testsupport::GenericAES128>(),
                            modeKnownAnswers<reference::AES128>(), modeKnownAnswers<testsupport::GenericAES128>()}) {
        EXPECT_EQ(failedWith(all, ""), std::set<std::string>{});
    }
    const auto known = modeKnownAnswers<reference::AES128>();
    for (const char* source : {"CFB8MMT128.rsp-", "CFB1MMT128.rsp-", "XTSGenAES128.rsp-tweak-128hexstr-",
                               "XTSGenAES128.rsp-tweak-dataunitseqno-", "aes_xts_test.json-",
                               "aes_cbc_pkcs5_test.json-"}) {
        EXPECT_TRUE(std::any_of(known.begin(), known.end(),
                                [&](const auto& leaf) { return leaf.first.find(source) != std::string::npos; }))
            << source;
    }
}

TEST(ExtraModes, Cfb8ShiftingAWholeBlockIsKilled) {
    EXPECT_FALSE(failedWith(conformance<mutants::Cfb8ShiftsWholeBlock>(), "CFB8MatchesTextbook").empty());
    EXPECT_FALSE(failedWith(modeKnownAnswers<mutants::Cfb8ShiftsWholeBlock>(), "CFB8MMT").empty());
}

TEST(ExtraModes, Cfb1BitsInWrongOrderAreKilled) {
    EXPECT_FALSE(failedWith(conformance<mutants::Cfb1BitsReversed>(), "CFB1MatchesTextbook").empty());
    EXPECT_FALSE(failedWith(modeKnownAnswers<mutants::Cfb1BitsReversed>(), "CFB1MMT").empty());
}

TEST(ExtraModes, XtsStealingTheWrongWayRoundIsKilled) {
    using M = mutants::FaultyXts<mutants::XtsFault::StealingTweaksSwapped>;
    EXPECT_FALSE(failedWith(conformance<M>(), "XTSMatchesTextbook").empty());
    const auto known = modeKnownAnswers<M>();
    EXPECT_FALSE(failedWith(known, "XTSGenAES128").empty());
}

TEST(ExtraModes, XtsTweakDoubledBigEndianIsKilled) {
    using M = mutants::FaultyXts<mutants::XtsFault::TweakTimesXBigEndian>;
    EXPECT_FALSE(failedWith(conformance<M>(), "XTSMatchesTextbook").empty());
    EXPECT_FALSE(failedWith(modeKnownAnswers<M>(), "aes_xts_test.json").empty());
}

TEST(ExtraModes, Pkcs7AcceptingAZeroPadIsKilled) {
    const auto all = conformance<mutants::Pkcs7AcceptsZeroPad>();
    const std::set<std::string> failed = failedWith(all, "CBCPKCS7MatchesTextbook");
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_NE(all.at(*failed.begin()).message.find("a last block with a 0 pad byte"), std::string::npos);
}

}  // namespace
