// The MD5 known-answer suite: shape, vectors, and the faults it catches.

#include <gtest/gtest.h>

#include "ReferencePrimitives.hpp"
#include "support/HashMutants.hpp"
#include "support/IndependentDigests.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/MD5.hpp"

namespace {

using namespace zelkor;
using testsupport::Outcome;
using reference::MD5;

// The KAT group alone, run case by case: prefix-free list of outcome kinds.
template <class D>
std::vector<Outcome> runKats() {
    const auto suite = tests::makeMD5Tests<D>();
    std::vector<Outcome> out;
    for (const auto& leaf : testsupport::leaves(suite.at(1))) out.push_back(testsupport::run(*leaf.test));
    return out;
}

std::vector<int> failingCases(const std::vector<Outcome>& outcomes, Outcome::Kind kind) {
    std::vector<int> out;
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        if (outcomes[i].kind == kind) out.push_back(static_cast<int>(i) + 1);
    }
    return out;
}

// A digest that goes wrong for messages of 56 bytes or more, as one does whose
// padding forgets the block that the length no longer fits into.
struct PaddingBugFrom56 : testsupport::DigestWrapper<PaddingBugFrom56, MD5> {
    using DigestWrapper::DigestWrapper;
    static PaddingBugFrom56 hash(const ByteString& m) {
        return PaddingBugFrom56(MD5::hash(m.size() >= 56 ? m + ByteString{0} : m));
    }
    static PaddingBugFrom56 hash(const ChunkedByteString& m) { return hash(m.toStrict()); }
};

struct NeverDecodes : testsupport::DigestWrapper<NeverDecodes, MD5> {
    using DigestWrapper::DigestWrapper;
    static NeverDecodes hash(const ByteString& m) { return NeverDecodes(MD5::hash(m)); }
    static NeverDecodes hash(const ChunkedByteString& m) { return NeverDecodes(MD5::hash(m)); }
    static std::optional<NeverDecodes> decode(const ByteString&) { return std::nullopt; }
};

TEST(MD5Suite, PropertyGroupFirstThenSevenCasesNamedAlike) {
    const auto suite = tests::makeMD5Tests<MD5>();
    ASSERT_EQ(testsupport::names(suite),
              (std::vector<std::string>{"Cryptographic Digest Property Tests", "MD5 KATs"}));
    const auto cases = testsupport::leaves(suite[1]);
    ASSERT_EQ(cases.size(), 7u);
    for (const auto& leaf : cases) EXPECT_EQ(leaf.path, "MD5 KATs/md5KAT");
}

TEST(MD5Suite, PassesOnTwoIndependentMD5s) {
    EXPECT_EQ(failingCases(runKats<MD5>(), Outcome::Kind::Passed), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(failingCases(runKats<testsupport::NettleMD5>(), Outcome::Kind::Passed),
              (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
}

TEST(MD5Suite, MessagesReachTheHashInDoublingChunks) {
    EXPECT_TRUE(tests::md5_detail::message(0).chunks().empty());
    EXPECT_EQ(tests::md5_detail::message(4).chunks().size(), 1u);
    const auto& sixth = tests::md5_detail::message(5).chunks();
    ASSERT_EQ(sixth.size(), 2u);
    EXPECT_EQ(sixth[0].size(), 32u);
    EXPECT_EQ(sixth[1].size(), 30u);
    const auto& seventh = tests::md5_detail::message(6).chunks();
    ASSERT_EQ(seventh.size(), 2u);
    EXPECT_EQ(seventh[1].size(), 48u);
}

TEST(MD5Suite, RestartingAtChunkBoundariesFailsCasesSixAndSeven) {
    const auto outcomes = runKats<testsupport::RestartsAtChunkBoundaries<MD5>>();
    EXPECT_EQ(failingCases(outcomes, Outcome::Kind::AssertionFailed), (std::vector<int>{6, 7}));
    EXPECT_NE(outcomes[5].message.find("md5KAT6"), std::string::npos) << outcomes[5].message;
    EXPECT_NE(outcomes[5].message.find("d174ab98d277d9f5a5611c2c9f419d9f"), std::string::npos);
}

TEST(MD5Suite, PaddingBugFailsTheLongMessages) {
    EXPECT_EQ(failingCases(runKats<PaddingBugFrom56>(), Outcome::Kind::AssertionFailed),
              (std::vector<int>{6, 7}));
}

TEST(MD5Suite, UndecodableDigestIsAnErrorNamingFromRight) {
    const auto outcomes = runKats<NeverDecodes>();
    EXPECT_EQ(failingCases(outcomes, Outcome::Kind::Error), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_NE(outcomes[0].message.find("Test.MD5.fromRight"), std::string::npos) << outcomes[0].message;
}

TEST(MD5Suite, BuildingHashesNothing) {
    using Counting = testsupport::CountingDigest<MD5>;
    Counting::calls = 0;
    const auto suite = tests::makeMD5Tests<Counting>();
    EXPECT_EQ(Counting::calls, 0);
    testsupport::run(*testsupport::leaves(suite[1]).at(2).test);
    EXPECT_EQ(Counting::calls, 1);
}

}  // namespace
