// The AEAD properties: they pass on correct AEADs of several libraries and
// constructions, and each classic AEAD fault fails them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ReferencePrimitives.hpp"
#include "support/AeadMutants.hpp"
#include "support/DataDir.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/AEAD.hpp"
#include "zelkor/tests/AeadBufferSafety.hpp"
#include "zelkor/tests/All.hpp"
#include "zelkor/tests/GCM.hpp"

namespace {

using namespace zelkor;
using testsupport::mutants::AeadFault;
using testsupport::mutants::FaultyChaCha20Poly1305;

template <class A>
std::vector<std::string> failing() {
    std::vector<std::string> out;
    for (const auto& report : testsupport::runAll(tests::makeAeadPropertyTests<A>(), true)) {
        out.push_back(report.path + ": " + report.outcome.message.substr(0, 300));
    }
    return out;
}

template <class A>
bool fails(std::string_view leaf) {
    for (const auto& report : testsupport::runAll(tests::makeAeadPropertyTests<A>(), true)) {
        if (report.path.ends_with(leaf)) return true;
    }
    return false;
}

TEST(AeadProperties, PassOnCorrectAeads) {
    EXPECT_EQ(failing<reference::OpenSSLChaCha20Poly1305>(), std::vector<std::string>{});
    EXPECT_EQ(failing<reference::SodiumChaCha20Poly1305>(), std::vector<std::string>{});
    EXPECT_EQ(failing<reference::SodiumXChaCha20Poly1305>(), std::vector<std::string>{});
    EXPECT_EQ(failing<GcmAead<reference::AES128>>(), std::vector<std::string>{});
    if (reference::sodiumAeadAvailable(reference::SodiumAeadKind::AES256GCM)) {
        EXPECT_EQ(failing<reference::SodiumAES256GCM>(), std::vector<std::string>{});
    }
}

TEST(AeadProperties, DeclaredLengthsAreTheOnesDrawn) {
    EXPECT_EQ(tests::aead_detail::nonceLengths<reference::SodiumXChaCha20Poly1305>(), std::vector<std::size_t>{24});
    EXPECT_EQ(tests::aead_detail::tagLengths<GcmAead<reference::AES128>>(),
              (std::vector<std::size_t>{4, 8, 12, 13, 14, 15, 16}));
    // GCM takes any nonce from 1 byte: sampled to 16 lengths, the first and last kept.
    const auto& gcmNonces = tests::aead_detail::nonceLengths<GcmAead<reference::AES128>>();
    EXPECT_EQ(gcmNonces.size(), 16u);
    EXPECT_EQ(gcmNonces.front(), 1u);
    EXPECT_EQ(gcmNonces.back(), 257u);
}

TEST(AeadProperties, EachFaultIsCaught) {
    EXPECT_TRUE(fails<FaultyChaCha20Poly1305<AeadFault::TagComparedOnFirst8Bytes>>("AnyChangedBitIsRejected"));
    EXPECT_TRUE(fails<FaultyChaCha20Poly1305<AeadFault::PlaintextWithoutTagMatch>>("AnyChangedBitIsRejected"));
    EXPECT_TRUE(fails<FaultyChaCha20Poly1305<AeadFault::AcceptsUndeclaredNonceLength>>("UndeclaredLengthsAreRefused"));
}

// OpenSSL's OCB declaring only 1-byte tags, optionally sealing and opening
// every message under one fixed nonce.
template <bool IgnoresNonce>
class OneByteTagOcb {
    using Inner = reference::OpenSSLAes128Ocb;

public:
    static constexpr int keyLength = Inner::keyLength;
    static std::optional<OneByteTagOcb> buildKey(const ByteString& bytes) {
        std::optional<Inner> inner = Inner::buildKey(bytes);
        if (!inner) return std::nullopt;
        return OneByteTagOcb(std::move(*inner));
    }
    static bool acceptsNonce(std::size_t bytes) { return Inner::acceptsNonce(bytes); }
    static bool acceptsTag(std::size_t bytes) { return bytes == 1; }
    AeadSealed seal(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                    std::size_t tagBytes) const {
        return inner_.seal(used(nonce), aad, plaintext, tagBytes);
    }
    std::optional<ByteString> open(const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
                                   const ByteString& tag) const {
        return inner_.open(used(nonce), aad, ciphertext, tag);
    }

private:
    explicit OneByteTagOcb(Inner inner) : inner_(std::move(inner)) {}
    static ByteString used(const ByteString& nonce) {
        return IgnoresNonce ? ByteString(std::vector<std::uint8_t>(nonce.size(), 0x5a)) : nonce;
    }
    Inner inner_;
};

// A 1-byte tag matches a changed message once in 256: over a thousand cases
// a check judging one change each would fail a correct OCB almost surely.
TEST(AeadProperties, ShortTagsAreNotFailedForChanceMatches) {
    for (int run = 0; run < 10; ++run) {
        EXPECT_FALSE(fails<OneByteTagOcb<false>>("AnyChangedBitIsRejected")) << "run " << run;
        EXPECT_FALSE(fails<OneByteTagOcb<false>>("OtherNonceOtherOutput")) << "run " << run;
    }
    EXPECT_TRUE(fails<OneByteTagOcb<true>>("OtherNonceOtherOutput"));
}

TEST(AeadBufferSafety, PassesOnCorrectAeadsAndCatchesAnOverRead) {
    const auto failures = [](std::vector<tests::Test> tree) {
        std::vector<std::string> out;
        for (const auto& report : testsupport::runAll(tree, true))
            out.push_back(report.path + ": " + report.outcome.message);
        return out;
    };
    if (!tests::detail::placementAvailable() || !tests::detail::faultGuardAvailable())
        GTEST_SKIP() << "no placed storage here";
    EXPECT_EQ(failures(tests::makeAeadBufferSafetyTests<reference::OpenSSLChaCha20Poly1305>()),
              std::vector<std::string>{});
    EXPECT_EQ(failures(tests::makeAeadBufferSafetyTests<reference::SodiumXChaCha20Poly1305>()),
              std::vector<std::string>{});
    const auto overRead =
        failures(tests::makeAeadBufferSafetyTests<FaultyChaCha20Poly1305<AeadFault::ReadsPastTheTag>>());
    ASSERT_EQ(overRead.size(), 1u);
    EXPECT_NE(overRead.front().find("read 1 byte past the end of the tag"), std::string::npos) << overRead.front();
}

TEST(AeadProperties, CounterexampleNamesEachLength) {
    const auto reports = testsupport::runAll(
        tests::makeAeadPropertyTests<FaultyChaCha20Poly1305<AeadFault::PlaintextWithoutTagMatch>>(), true);
    ASSERT_FALSE(reports.empty());
    const std::string& message = reports.front().outcome.message;
    EXPECT_NE(message.find("nonce 12 bytes, tag 16 bytes"), std::string::npos) << message;
}

// libsodium's AES-256-GCM takes 12-byte nonces and 16-byte tags only: declared
// so, every GCM vector within them passes and every other one is skipped with
// its reason, never failed.
TEST(GcmAsAead, DeclaredLengthsSkipTheRestAndPassTheirOwn) {
    if (!reference::sodiumAeadAvailable(reference::SodiumAeadKind::AES256GCM)) {
        GTEST_SKIP() << "libsodium's AES-256-GCM needs AES-NI";
    }
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    using Sodium = reference::SodiumAES256GCM;
    std::vector<tests::Test> tree = tests::makeAESGCMTests<Sodium>();
    for (auto& test : tests::makeAESGCMWycheproofTests<Sodium>()) tree.push_back(std::move(test));
    std::vector<std::string> failures;
    std::size_t nonceSkips = 0, tagSkips = 0;
    for (const auto& report : testsupport::runAll(tree, true)) {
        const std::string& message = report.outcome.message;
        if (report.outcome.kind != testsupport::Outcome::Kind::Skipped) {
            failures.push_back(report.path + ": " + message.substr(0, 300));
        } else if (message.find("not accepted by the type") == std::string::npos) {
            failures.push_back(report.path + " skipped: " + message);
        } else {
            ++(message.starts_with("nonce") ? nonceSkips : tagSkips);
        }
    }
    EXPECT_EQ(failures, std::vector<std::string>{});
    EXPECT_GT(nonceSkips, 0u);
    EXPECT_GT(tagSkips, 0u);
}

// The construction faults no property sees (each is self-consistent) are
// caught by the known answers; the fault-free composition passes everything.
template <testsupport::mutants::ChaChaPolyFault Fault>
std::vector<std::string> failingChaChaPolyGroups() {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    using Mutant = testsupport::mutants::ComposedChaCha20Poly1305<Fault>;
    std::vector<std::string> groups;
    for (const auto& report :
         testsupport::runAll(tests::makeAllTests<Mutant>(tests::Algorithm::ChaCha20Poly1305), true)) {
        if (report.outcome.kind == testsupport::Outcome::Kind::Skipped) continue;
        std::string group = report.path.substr(0, report.path.find('/'));
        if (groups.empty() || groups.back() != group) groups.push_back(group);
    }
    return groups;
}

TEST(AeadKnownAnswers, ChaCha20Poly1305ConstructionFaultsAreCaught) {
    using enum testsupport::mutants::ChaChaPolyFault;
    using Groups = std::vector<std::string>;
    EXPECT_EQ(failingChaChaPolyGroups<None>(), Groups{});
    const Groups byVectors{"Known answers", "Wycheproof"};
    EXPECT_EQ(failingChaChaPolyGroups<MessageFromCounter0>(), byVectors);
    EXPECT_EQ(failingChaChaPolyGroups<NoLengthsBlock>(), byVectors);
    EXPECT_EQ(failingChaChaPolyGroups<AadNotPadded>(), byVectors);
}

}  // namespace
