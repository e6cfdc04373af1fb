// makeAllTests: one subgroup per kind of check, the builders' output inside
// unchanged, and a refusal for an algorithm the type cannot be.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ReferencePrimitives.hpp"
#include "support/DataDir.hpp"
#include "zelkor/tests/All.hpp"

namespace {

using namespace zelkor::tests;
namespace ref = zelkor::reference;
// Inside a TEST body, plain `Test` is GoogleTest's fixture class.
using Node = zelkor::tests::Test;

std::vector<std::string> namesOf(const std::vector<Node>& tests) {
    std::vector<std::string> names;
    for (const Node& test : tests) names.push_back(test.name());
    return names;
}

std::size_t sizeOf(const Node& group) { return std::get<TestGroup>(group.node).tests.size(); }

TEST(AllTests, DigestAndCipherGetEveryKindThatApplies) {
    const zelkor::testsupport::ScopedDataDir data(zelkor::testsupport::sourceDataDir());
    const std::vector<Node> sha = makeAllTests<ref::SHA256>(Algorithm::SHA256);
    EXPECT_EQ(namesOf(sha), (std::vector<std::string>{"Known answers", "Monte Carlo", "HMAC", "Conformance", "Buffer safety", "Long messages", "Constant time"}));
    EXPECT_EQ(sizeOf(sha[0]), makeSHA256Tests<ref::SHA256>().size());
    EXPECT_EQ(sizeOf(sha[2]), makeSHA256HMACTests<ref::SHA256>().size() + makeSHA256RFCHMACTests<ref::SHA256>().size() +
                                  makeSHA256WycheproofHMACTests<ref::SHA256>().size());

    const std::vector<Node> aes = makeAllTests(*ref::AES128::buildKey(zelkor::ByteString(std::vector<std::uint8_t>(16))),
                                               Algorithm::AES128);
    EXPECT_EQ(namesOf(aes), (std::vector<std::string>{"Known answers", "CTR", "GCM", "Conformance", "Buffer safety", "Constant time"}));
    EXPECT_EQ(sizeOf(aes[0]), makeAESTests<ref::AES128>().size());
}

TEST(AllTests, AlgorithmThatDoesNotFitIsRefusedNamingBoth) {
    const auto refusal = [](auto build) -> std::string {
        try {
            build();
        } catch (const std::invalid_argument& error) {
            return error.what();
        }
        return "(accepted)";
    };
    const std::string digest = refusal([] { makeAllTests<ref::SHA256>(Algorithm::SHA3_256); });
    EXPECT_NE(digest.find("SHA3_256 needs a digest of 256-bit output and 1088-bit blocks"), std::string::npos) << digest;
    EXPECT_NE(digest.find("256-bit output and 512-bit blocks"), std::string::npos) << digest;
    const std::string cipher = refusal([] { makeAllTests<ref::AES128>(Algorithm::AES256); });
    EXPECT_NE(cipher.find("AES256 needs a block cipher of 128-bit blocks and 256-bit keys"), std::string::npos) << cipher;
    EXPECT_NE(refusal([] { makeAllTests<ref::SHA256>(Algorithm::Twofish); }).find("Twofish needs a block cipher"),
              std::string::npos);
}

}  // namespace
