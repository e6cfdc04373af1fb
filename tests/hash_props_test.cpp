// The hash property group passes for correct digests and catches each fault
// it is meant for.

#include <map>
#include <string>

#include <gtest/gtest.h>

#include "ReferencePrimitives.hpp"
#include "support/HashMutants.hpp"
#include "support/IndependentDigests.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/Crypto.hpp"

namespace {

using namespace zelkor;
using testsupport::Outcome;
using testsupport::RestartsAtChunkBoundaries;
using reference::SHA256;

// Property name -> outcome kind, for the whole group.
std::map<std::string, Outcome::Kind> outcomes(const tests::Test& group) {
    std::map<std::string, Outcome::Kind> out;
    for (const auto& leaf : testsupport::leaves(group)) out[leaf.test->name()] = testsupport::run(*leaf.test).kind;
    return out;
}

std::map<std::string, Outcome::Kind> allPassExcept(std::initializer_list<std::string> failing) {
    std::map<std::string, Outcome::Kind> out;
    for (const char* name :
         {"LazyStrictEqual", "DigestLen", "GetPutHash", "BlockLengthIsByteAligned", "OutputLengthIsByteAligned"}) {
        out[name] = Outcome::Kind::Passed;
    }
    for (const auto& name : failing) out[name] = Outcome::Kind::PropertyFailed;
    return out;
}

// Shares everything with SHA-256 except what a mutant below overrides.
template <class Self>
struct Sha256Like : testsupport::DigestWrapper<Self, SHA256> {
    using testsupport::DigestWrapper<Self, SHA256>::DigestWrapper;
    static Self hash(const ByteString& m) { return Self(SHA256::hash(m)); }
    static Self hash(const ChunkedByteString& m) { return Self(SHA256::hash(m)); }
};

struct LengthPrefixedEncoding : Sha256Like<LengthPrefixedEncoding> {
    using Sha256Like::Sha256Like;
    ByteString encode() const { return ByteString{32} + Sha256Like::encode(); }
    static std::optional<LengthPrefixedEncoding> decode(const ByteString& b) {
        return Sha256Like::decode(b.drop(1));
    }
};

struct DecodesAnotherValue : Sha256Like<DecodesAnotherValue> {
    using Sha256Like::Sha256Like;
    static std::optional<DecodesAnotherValue> decode(const ByteString& b) {
        return Sha256Like::decode(ByteString{static_cast<std::uint8_t>(b[0] ^ 1)} + b.drop(1));
    }
};

struct OddBlockLength : Sha256Like<OddBlockLength> {
    using Sha256Like::Sha256Like;
    static constexpr int blockLength = 1020;
};

// 164 bits advertised, 20 bytes encoded: only the output-length check can tell.
struct OddOutputLength {
    static constexpr int outputLength = 164;
    static constexpr int blockLength = 512;
    ByteString bytes;

    static OddOutputLength hash(const ByteString& m) { return {SHA256::hash(m).encode().take(20)}; }
    static OddOutputLength hash(const ChunkedByteString& m) { return {SHA256::hash(m).encode().take(20)}; }
    ByteString encode() const { return bytes; }
    static std::optional<OddOutputLength> decode(const ByteString& b) {
        if (b.size() < 20) return std::nullopt;
        return OddOutputLength{b.take(20)};
    }
    friend bool operator==(const OddOutputLength&, const OddOutputLength&) = default;
};

template <class D>
void expectAllPass() {
    const tests::Test group = tests::makeHashPropTests<D>();
    EXPECT_EQ(group.name(), "Cryptographic Digest Property Tests");
    EXPECT_EQ(outcomes(group), allPassExcept({}));
}

TEST(HashProps, PassForEveryReferenceDigest) {
    expectAllPass<reference::MD5>();
    expectAllPass<reference::SHA1>();
    expectAllPass<reference::SHA224>();
    expectAllPass<reference::SHA256>();
    expectAllPass<reference::SHA384>();
    expectAllPass<reference::SHA512>();
    expectAllPass<testsupport::NettleSHA512>();
}

TEST(HashProps, EachMutantFailsThePropertyMeantForIt) {
    EXPECT_EQ(outcomes(tests::makeHashPropTests<RestartsAtChunkBoundaries<SHA256>>()),
              allPassExcept({"LazyStrictEqual"}));
    EXPECT_EQ(outcomes(tests::makeHashPropTests<LengthPrefixedEncoding>()), allPassExcept({"DigestLen"}));
    EXPECT_EQ(outcomes(tests::makeHashPropTests<DecodesAnotherValue>()), allPassExcept({"GetPutHash"}));
    EXPECT_EQ(outcomes(tests::makeHashPropTests<OddBlockLength>()),
              allPassExcept({"BlockLengthIsByteAligned"}));
    EXPECT_EQ(outcomes(tests::makeHashPropTests<OddOutputLength>()),
              allPassExcept({"OutputLengthIsByteAligned"}));
}

TEST(HashProps, FailureReportShowsTheMessageInHex) {
    const tests::Test group = tests::makeHashPropTests<RestartsAtChunkBoundaries<SHA256>>();
    const auto leaves = testsupport::leaves(group);
    const Outcome outcome = testsupport::run(*leaves.at(0).test);
    ASSERT_EQ(outcome.kind, Outcome::Kind::PropertyFailed);
    // Up to ten chunks of up to 4 KB: their sizes, then a window of the bytes.
    EXPECT_NE(outcome.message.find(" chunks of "), std::string::npos) << outcome.message;
    EXPECT_LT(outcome.message.size(), 4096u) << outcome.message;
    EXPECT_NE(outcome.message.find("RC_PARAMS=\"reproduce="), std::string::npos) << outcome.message;
}

TEST(HashProps, WitnessOverloadBuildsTheSameGroup) {
    const tests::Test typeGroup = tests::makeHashPropTests<SHA256>();
    const tests::Test witnessGroup = tests::makeHashPropTests(SHA256::hash(ByteString{}));
    const auto byType = testsupport::leaves(typeGroup);
    const auto byWitness = testsupport::leaves(witnessGroup);
    ASSERT_EQ(byType.size(), byWitness.size());
    for (std::size_t i = 0; i < byType.size(); ++i) EXPECT_EQ(byType[i].path, byWitness[i].path);
}

}  // namespace
