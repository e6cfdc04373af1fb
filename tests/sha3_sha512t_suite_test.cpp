// The SHA-512/224, SHA-512/256 and SHA-3 suites: their case counts, that they
// pass on OpenSSL's and nettle's digests, and that they fail broken ones.

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "OpenSSLDigests.hpp"
#include "support/DataDir.hpp"
#include "support/HashMutants.hpp"
#include "support/IndependentDigests.hpp"
#include "support/KeccakSponge.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/SHA.hpp"

namespace {

using namespace zelkor;
using testsupport::Outcome;

constexpr const char* kPropertyGroup = "Cryptographic Digest Property Tests";

struct Sha512_224 {
    static constexpr const char* name = "SHA512_224";
    static constexpr std::size_t knownAnswers = 257;
    using Reference = reference::SHA512_224;
    using Independent = testsupport::NettleSHA512_224;
    template <class D> static std::vector<tests::Test> build() { return tests::makeSHA512_224Tests<D>(); }
    static std::vector<tests::Test> buildFromWitness(const Reference& d) { return tests::makeSHA512_224Tests(d); }
};
struct Sha512_256 {
    static constexpr const char* name = "SHA512_256";
    static constexpr std::size_t knownAnswers = 257;
    using Reference = reference::SHA512_256;
    using Independent = testsupport::NettleSHA512_256;
    template <class D> static std::vector<tests::Test> build() { return tests::makeSHA512_256Tests<D>(); }
    static std::vector<tests::Test> buildFromWitness(const Reference& d) { return tests::makeSHA512_256Tests(d); }
};
struct Sha3_224 {
    static constexpr const char* name = "SHA3_224";
    static constexpr std::size_t knownAnswers = 245;
    using Reference = reference::SHA3_224;
    using Independent = testsupport::NettleSHA3_224;
    template <class D> static std::vector<tests::Test> build() { return tests::makeSHA3_224Tests<D>(); }
    static std::vector<tests::Test> buildFromWitness(const Reference& d) { return tests::makeSHA3_224Tests(d); }
};
struct Sha3_256 {
    static constexpr const char* name = "SHA3_256";
    static constexpr std::size_t knownAnswers = 237;
    using Reference = reference::SHA3_256;
    using Independent = testsupport::NettleSHA3_256;
    template <class D> static std::vector<tests::Test> build() { return tests::makeSHA3_256Tests<D>(); }
    static std::vector<tests::Test> buildFromWitness(const Reference& d) { return tests::makeSHA3_256Tests(d); }
};
struct Sha3_384 {
    static constexpr const char* name = "SHA3_384";
    static constexpr std::size_t knownAnswers = 205;
    using Reference = reference::SHA3_384;
    using Independent = testsupport::NettleSHA3_384;
    template <class D> static std::vector<tests::Test> build() { return tests::makeSHA3_384Tests<D>(); }
    static std::vector<tests::Test> buildFromWitness(const Reference& d) { return tests::makeSHA3_384Tests(d); }
};
struct Sha3_512 {
    static constexpr const char* name = "SHA3_512";
    static constexpr std::size_t knownAnswers = 173;
    using Reference = reference::SHA3_512;
    using Independent = testsupport::NettleSHA3_512;
    template <class D> static std::vector<tests::Test> build() { return tests::makeSHA3_512Tests<D>(); }
    static std::vector<tests::Test> buildFromWitness(const Reference& d) { return tests::makeSHA3_512Tests(d); }
};

template <class Alg>
class NewDigestSuite : public ::testing::Test {
protected:
    testsupport::ScopedDataDir dataDir{testsupport::sourceDataDir()};
};
using Algorithms = ::testing::Types<Sha512_224, Sha512_256, Sha3_224, Sha3_256, Sha3_384, Sha3_512>;
TYPED_TEST_SUITE(NewDigestSuite, Algorithms);

TYPED_TEST(NewDigestSuite, KnownAnswersNumberedInOrderThenThePropertyGroup) {
    const auto suite = TypeParam::template build<typename TypeParam::Reference>();
    ASSERT_EQ(suite.size(), TypeParam::knownAnswers + 1);
    const std::string prefix = std::string("Nist") + TypeParam::name + "-";
    for (std::size_t i = 0; i < TypeParam::knownAnswers; ++i) {
        EXPECT_EQ(suite[i].name(), prefix + std::to_string(i + 1));
    }
    EXPECT_EQ(suite.back().name(), kPropertyGroup);
    const auto witness = TypeParam::Reference::hash(ByteString{});
    EXPECT_EQ(testsupport::names(TypeParam::buildFromWitness(witness)), testsupport::names(suite));
}

std::vector<std::string> failingPaths(const std::vector<tests::Test>& suite) {
    std::vector<std::string> out;
    for (const auto& report : testsupport::runAll(suite, true)) out.push_back(report.path);
    return out;
}

TYPED_TEST(NewDigestSuite, PassesOnOpenSSLAndOnNettle) {
    EXPECT_EQ(failingPaths(TypeParam::template build<typename TypeParam::Reference>()), std::vector<std::string>{});
    EXPECT_EQ(failingPaths(TypeParam::template build<typename TypeParam::Independent>()), std::vector<std::string>{});
}

// How many known-answer cases of a suite fail, and which of its properties.
struct Failures {
    std::size_t knownAnswers = 0;
    std::vector<std::string> properties;
};

Failures failuresOf(const std::vector<tests::Test>& suite) {
    Failures out;
    for (const auto& report : testsupport::runAll(suite, true)) {
        if (report.path.starts_with(kPropertyGroup)) {
            out.properties.push_back(report.path.substr(report.path.find('/') + 1));
        } else {
            EXPECT_EQ(report.outcome.kind, Outcome::Kind::AssertionFailed) << report.outcome.message;
            ++out.knownAnswers;
        }
    }
    return out;
}

TEST(NewDigestMutants, Sha512_256FromSha512InitialValuesFailsEveryKnownAnswer) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    using Mutant = testsupport::TruncatedDigest<reference::SHA512, 256>;
    const auto failures = failuresOf(tests::makeSHA512_256Tests<Mutant>());
    EXPECT_EQ(failures.knownAnswers, Sha512_256::knownAnswers);
    EXPECT_EQ(failures.properties, std::vector<std::string>{});
}

TEST(NewDigestMutants, Sha3_256WithKeccakPaddingFailsEveryKnownAnswer) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    // The same sponge with SHA-3's domain byte passes, so only the byte differs.
    const auto right = failuresOf(tests::makeSHA3_256Tests<testsupport::SpongeDigest<0x06, 256>>());
    EXPECT_EQ(right.knownAnswers, 0u);
    EXPECT_EQ(right.properties, std::vector<std::string>{});
    const auto failures = failuresOf(tests::makeSHA3_256Tests<testsupport::SpongeDigest<0x01, 256>>());
    EXPECT_EQ(failures.knownAnswers, Sha3_256::knownAnswers);
    EXPECT_EQ(failures.properties, std::vector<std::string>{});
}

TEST(NewDigestMutants, Sha3_256RestartingAtChunksFailsTheChunkingProperty) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    const auto failures =
        failuresOf(tests::makeSHA3_256Tests<testsupport::RestartsAtChunkBoundaries<reference::SHA3_256>>());
    EXPECT_GT(failures.knownAnswers, 0u);
    EXPECT_EQ(failures.properties, std::vector<std::string>{"LazyStrictEqual"});
}

}  // namespace
