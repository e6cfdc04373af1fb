// The MD5 suite of every message length: its count, that it passes on two
// implementations, and that padding bugs at one length class fail exactly
// those lengths (the seven RFC 1321 messages miss all three).

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "OpenSSLDigests.hpp"
#include "support/DataDir.hpp"
#include "support/HashMutants.hpp"
#include "support/IndependentDigests.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/MD5.hpp"

namespace {

using namespace zelkor;
using Names = std::set<std::string>;

bool at55Mod64(std::size_t n) { return n % 64 == 55; }
bool at63Mod64(std::size_t n) { return n % 64 == 63; }
bool atWholeBlocks(std::size_t n) { return n > 0 && n % 64 == 0; }

// 0..200, 1000, 4096 and 65536 bytes.
std::vector<std::size_t> lengths() {
    std::vector<std::size_t> out;
    for (std::size_t n = 0; n <= 200; ++n) out.push_back(n);
    out.insert(out.end(), {1000, 4096, 65536});
    return out;
}

template <class D>
Names failing() {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    Names out;
    for (const auto& report : testsupport::runAll(tests::makeMD5LengthTests<D>(), true)) {
        EXPECT_EQ(report.outcome.kind, testsupport::Outcome::Kind::AssertionFailed) << report.outcome.message;
        out.insert(report.path);
    }
    return out;
}

template <bool (*wrongAt)(std::size_t)>
void expectFailuresExactlyAt() {
    Names expected;
    for (std::size_t n : lengths()) {
        if (wrongAt(n)) expected.insert("MD5Lengths.rsp-" + std::to_string(8 * n));
    }
    ASSERT_FALSE(expected.empty());
    using Mutant = testsupport::WrongAtLengths<reference::MD5, wrongAt>;
    EXPECT_EQ(failing<Mutant>(), expected);
}

TEST(Md5LengthSuite, OneCasePerLengthPassingOnTwoImplementations) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    const auto suite = tests::makeMD5LengthTests<reference::MD5>();
    ASSERT_EQ(suite.size(), lengths().size());
    EXPECT_EQ(suite.front().name(), "MD5Lengths.rsp-0");
    EXPECT_EQ(suite.back().name(), "MD5Lengths.rsp-524288");
    EXPECT_EQ(testsupport::names(tests::makeMD5LengthTests(reference::MD5::hash(ByteString{}))),
              testsupport::names(suite));
    EXPECT_EQ(failing<reference::MD5>(), Names{});
    EXPECT_EQ(failing<testsupport::NettleMD5>(), Names{});
}

TEST(Md5LengthSuite, PaddingBugsFailExactlyTheirLengths) {
    expectFailuresExactlyAt<at55Mod64>();
    expectFailuresExactlyAt<at63Mod64>();
    expectFailuresExactlyAt<atWholeBlocks>();
}

}  // namespace
