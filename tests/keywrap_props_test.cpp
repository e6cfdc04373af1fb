// The key-wrap checks: they pass on OpenSSL's AES-KW and AES-KWP (forward and
// inverse) and on the generic constructions over OpenSSL's AES block
// function, and each classic unwrap fault fails them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ReferencePrimitives.hpp"
#include "support/DataDir.hpp"
#include "support/KeyWrapMutants.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/KeyWrap.hpp"
#include "zelkor/tests/All.hpp"

namespace {

using namespace zelkor;
using tests::Algorithm;
using mutants = testsupport::mutants::KeyWrapFault;
constexpr auto kw = KeyWrapPadding::None, kwp = KeyWrapPadding::Padded;
constexpr auto inv = KeyWrapDirection::Inverse;

// The failing leaves, each with the start of its message.
template <class W>
std::vector<std::string> failures(Algorithm algorithm) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    std::vector<std::string> out;
    for (const auto& report : testsupport::runAll(tests::makeAllTests<W>(algorithm), true)) {
        if (report.outcome.kind == testsupport::Outcome::Kind::Skipped) continue;  // skipped with a reason
        out.push_back(report.path + ": " + report.outcome.message.substr(0, 200));
    }
    return out;
}

// The kinds of check (top-level groups) holding a failing leaf.
template <class W>
std::vector<std::string> failingGroups(Algorithm algorithm) {
    std::vector<std::string> out;
    for (const std::string& failure : failures<W>(algorithm)) {
        const std::string group = failure.substr(0, failure.find('/'));
        if (out.empty() || out.back() != group) out.push_back(group);
    }
    return out;
}

TEST(KeyWraps, EveryCheckPassesOnOpenSSL) {
    EXPECT_EQ((failures<reference::OpenSSLKeyWrap<128, kw>>(Algorithm::AES128_KW)), std::vector<std::string>{});
    EXPECT_EQ((failures<reference::OpenSSLKeyWrap<256, kwp>>(Algorithm::AES256_KWP)), std::vector<std::string>{});
    EXPECT_EQ((failures<reference::OpenSSLKeyWrap<192, kw, inv>>(Algorithm::AES192_KW_INV)),
              std::vector<std::string>{});
    EXPECT_EQ((failures<reference::OpenSSLKeyWrap<128, kwp, inv>>(Algorithm::AES128_KWP_INV)),
              std::vector<std::string>{});
}

TEST(KeyWraps, EveryCheckPassesOnTheGenericConstructions) {
    EXPECT_EQ((failures<KeyWrapOf<reference::AES192, kwp>>(Algorithm::AES192_KWP)), std::vector<std::string>{});
    EXPECT_EQ((failures<KeyWrapOf<reference::AES256, kw>>(Algorithm::AES256_KW)), std::vector<std::string>{});
    EXPECT_EQ((failures<KeyWrapOf<reference::AES256, kwp, inv>>(Algorithm::AES256_KWP_INV)),
              std::vector<std::string>{});
}

TEST(KeyWraps, UnwrapSkippingTheIntegrityCheckIsCaught) {
    using Faulty = KeyWrapOf<testsupport::mutants::AesWithOwnUnwrap<mutants::KwSkipsIntegrityCheck>, kw>;
    EXPECT_EQ((failingGroups<Faulty>(Algorithm::AES128_KW)),
              (std::vector<std::string>{"Known answers", "Wycheproof", "Properties", "Conformance"}));
}

TEST(KeyWraps, KwpUnwrapIgnoringTheLengthIndicatorIsCaught) {
    using Faulty = KeyWrapOf<testsupport::mutants::AesWithOwnUnwrap<mutants::KwpIgnoresLengthPadding>, kwp>;
    // Random changes break the constant as well; only the made-up wrapped keys
    // and Wycheproof's modified paddings find this one.
    EXPECT_EQ((failingGroups<Faulty>(Algorithm::AES128_KWP)),
              (std::vector<std::string>{"Wycheproof", "Conformance"}));
}

TEST(KeyWraps, RowsRefuseTypesOfAnotherShape) {
    EXPECT_THROW(((void)tests::makeAllTests<reference::OpenSSLKeyWrap<128, kw>>(Algorithm::AES128_KWP)),
                 std::invalid_argument);
    EXPECT_THROW(((void)tests::makeAllTests<reference::OpenSSLKeyWrap<128, kwp>>(Algorithm::AES256_KWP)),
                 std::invalid_argument);
}

}  // namespace
