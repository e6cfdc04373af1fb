// The iterated check over every OCB key and tag length: OpenSSL's OCB gives
// all nine published outputs, a type that declares fewer tag lengths has the
// others skipped, and an OCB whose offsets go wrong from block 256 on passes
// every published message but fails here.

#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "OpenSSLOcb.hpp"
#include "support/DataDir.hpp"
#include "support/OcbMutants.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/detail/aead/IteratedKnownAnswers.hpp"

namespace {

using namespace zelkor;
using testsupport::Outcome;

constexpr std::string_view kIterated = "KAT_AES_OCB3_ITERATED";

struct Counts {
    std::size_t passed = 0, failed = 0, skipped = 0;
    std::vector<std::string> messages;  // of the failures
};

Counts countsOf(const std::vector<tests::Test>& tree) {
    Counts counts;
    for (const auto& report : testsupport::runAll(tree)) {
        if (report.outcome.kind == Outcome::Kind::Passed) {
            ++counts.passed;
        } else if (report.outcome.kind == Outcome::Kind::Skipped) {
            ++counts.skipped;
        } else {
            ++counts.failed;
            counts.messages.push_back(report.outcome.message);
        }
    }
    return counts;
}

// OpenSSL's OCB that declares 16-byte tags only.
class Ocb128FullTagsOnly {
    using Inner = reference::OpenSSLAes128Ocb;

public:
    static constexpr int keyLength = 128;
    static std::optional<Ocb128FullTagsOnly> buildKey(const ByteString& bytes) {
        std::optional<Inner> inner = Inner::buildKey(bytes);
        if (!inner) return std::nullopt;
        return Ocb128FullTagsOnly(*inner);
    }
    static bool acceptsNonce(std::size_t bytes) { return Inner::acceptsNonce(bytes); }
    static bool acceptsTag(std::size_t bytes) { return bytes == 16; }
    AeadSealed seal(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                    std::size_t tagBytes) const {
        return inner_.seal(nonce, aad, plaintext, tagBytes);
    }
    std::optional<ByteString> open(const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
                                   const ByteString& tag) const {
        return inner_.open(nonce, aad, ciphertext, tag);
    }

private:
    explicit Ocb128FullTagsOnly(Inner inner) : inner_(std::move(inner)) {}
    Inner inner_;
};

TEST(OcbIterated, OpenSSLGivesEveryPublishedOutput) {
    const testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    for (const Counts& counts : {countsOf(tests::aead_detail::iteratedTests<reference::OpenSSLAes128Ocb>(kIterated)),
                                 countsOf(tests::aead_detail::iteratedTests<reference::OpenSSLAes192Ocb>(kIterated)),
                                 countsOf(tests::aead_detail::iteratedTests<reference::OpenSSLAes256Ocb>(kIterated))}) {
        EXPECT_EQ(counts.passed, 3u);  // 128-, 96- and 64-bit tags
        EXPECT_EQ(counts.failed + counts.skipped, 0u);
    }
}

TEST(OcbIterated, UndeclaredTagLengthsAreSkipped) {
    const testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    const Counts counts = countsOf(tests::aead_detail::iteratedTests<Ocb128FullTagsOnly>(kIterated));
    EXPECT_EQ(counts.passed, 1u);
    EXPECT_EQ(counts.skipped, 2u);
    EXPECT_EQ(counts.failed, 0u);
}

// A length that is not a whole number of bytes is an error that names the
// file, the line and the value, raised when the tree is built.
TEST(OcbIterated, BadLengthNamesItsPlace) {
    const testsupport::ScopedDataDir dataDir(testsupport::fixturesDir() + "/iterated/badlength");
    try {
        (void)tests::aead_detail::iteratedTests<reference::OpenSSLAes128Ocb>(kIterated);
        FAIL() << "no error";
    } catch (const std::invalid_argument& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("bad.txt:1"), std::string::npos) << message;
        EXPECT_NE(message.find("TAGLEN = \"12\""), std::string::npos) << message;
    }
}

// The published messages stop at 214 bytes; the last seal of the iterated
// check has 1,400 blocks of AAD.
TEST(OcbIterated, OffsetsWrongFromBlock256AreCaughtOnlyByIt) {
    const testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    using testsupport::mutants::OcbFromPieces;
    using enum testsupport::mutants::OcbFault;
    const Counts sound = countsOf(tests::aead_detail::iteratedTests<OcbFromPieces<128, None>>(kIterated));
    EXPECT_EQ(sound.passed, 3u);
    using Mutant = OcbFromPieces<128, LTableOfEight>;
    const Counts samples = countsOf(tests::aead_detail::knownAnswerTests<Mutant>("KAT_AES_OCB3"));
    EXPECT_EQ(samples.failed, 0u);
    EXPECT_EQ(samples.passed, 71u);
    const Counts iterated = countsOf(tests::aead_detail::iteratedTests<Mutant>(kIterated));
    ASSERT_EQ(iterated.failed, 3u);
    // The failure names the key and tag length and both outputs.
    const std::string& last = iterated.messages.back();
    EXPECT_NE(last.find("128-bit key and 64-bit tags"), std::string::npos) << last;
    EXPECT_NE(last.find("192c9b7bd90ba06a"), std::string::npos) << last;
    EXPECT_NE(last.find("but got:"), std::string::npos) << last;
}

}  // namespace
